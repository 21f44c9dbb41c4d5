// The one posting switch: a typed post sets the argument slot in its command's width.
#include "ox_settings.h"

#include "ox_queue.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace oxcmd {
namespace {

// An integer argument from a number that may lie outside the range (an entry of 1e12): the
// nearest integer there is, NaN as 0; the handler's validator does the rest.
int SaturatedInt(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

bool Post(const AnyPost& post, CWnd* window) {
    const AnyCommand& c = post.command;
    switch (c.type) {
    case ArgType::None:
        return OxPost(c.group, c.sub, post.value, window);
    case ArgType::Byte:
        return OxPostBool(c.group, c.sub, post.value, post.argument != 0, window);
    case ArgType::Int:
        return OxPostInt(c.group, c.sub, post.value, SaturatedInt(post.argument), window);
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
