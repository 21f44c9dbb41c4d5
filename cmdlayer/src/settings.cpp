// The one posting switch: a typed post sets the argument slot in its command's width.
#include "ox_settings.h"

#include "ox_queue.h"

namespace oxcmd {

bool Post(const AnyPost& post, CWnd* window) {
    const AnyCommand& c = post.command;
    switch (c.type) {
    case ArgType::None:
        return OxPost(c.group, c.sub, post.value, window);
    case ArgType::Byte:
        return OxPostBool(c.group, c.sub, post.value, post.argument != 0, window);
    case ArgType::Int:
        return OxPostInt(c.group, c.sub, post.value, static_cast<int>(post.argument), window);
    case ArgType::Float:
        return OxPostFloat(c.group, c.sub, post.value, static_cast<float>(post.argument), window);
    case ArgType::Double:
        return OxPostDouble(c.group, c.sub, post.value, post.argument, window);
    case ArgType::Long64:
        SetMsgVarLONG64(post.bits);
        return OxPost(c.group, c.sub, post.value, window);
    }
    return false;
}

} // namespace oxcmd
