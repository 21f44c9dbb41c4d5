// The vocabulary is said once: outside ox_commands.h, ox_settings.h and the tests no source
// spells a command number of the vocabulary, and no selector field of the record is compared
// with, assigned or switched over a number or a constant of its own instead of the
// vocabulary's value codes. (The channel-valued selectors may still name CH1 and CH2 as 0
// and 1, the index every channel array uses.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = OXBOW_SOURCE_DIR;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The source with comments, string and character literals blanked (line breaks kept).
std::string CodeOnly(const std::string& source) {
    std::string code = source;
    enum { Code, Line, Block, String, Char } state = Code;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        switch (state) {
        case Code:
            if (c == '/' && next == '/')
                state = Line;
            else if (c == '/' && next == '*')
                state = Block;
            else if (c == '"')
                state = String;
            else if (c == '\'' &&
                     !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1]))))
                state = Char; // not a digit separator (1'000)
            else
                continue;
            code[i] = ' ';
            break;
        case Line:
            if (c == '\n')
                state = Code;
            else
                code[i] = ' ';
            break;
        case Block:
            if (c == '*' && next == '/') {
                code[i] = code[i + 1] = ' ';
                ++i;
                state = Code;
            } else if (c != '\n') {
                code[i] = ' ';
            }
            break;
        case String:
        case Char:
            if (c == '\\') {
                code[i] = ' ';
                if (i + 1 < code.size() && code[i + 1] != '\n') code[++i] = ' ';
            } else if (c == (state == String ? '"' : '\'')) {
                code[i] = ' ';
                state = Code;
            } else if (c != '\n') {
                code[i] = ' ';
            }
            break;
        }
    }
    return code;
}

struct Token {
    std::string text;
    int line;
};

std::vector<Token> Tokens(const std::string& code) {
    std::vector<Token> tokens;
    int line = 1;
    for (std::size_t i = 0; i < code.size();) {
        const auto c = static_cast<unsigned char>(code[i]);
        if (c == '\n') ++line;
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        if (std::isalnum(c) || c == '_') {
            while (end < code.size() && (std::isalnum(static_cast<unsigned char>(code[end])) ||
                                         code[end] == '_' || code[end] == '.' || code[end] == '\''))
                ++end;
            // A member access after a name ("s.nTimeFormat") is two tokens.
            if (!std::isdigit(c)) {
                const std::size_t dot = code.find('.', i);
                if (dot < end) end = dot;
                const std::size_t quote = code.find('\'', i);
                if (quote < end) end = quote;
            }
        } else {
            static const char* const kPairs[] = {
                "==", "!=", "<=", ">=", "::", "->", "+=", "-=", "|=", "&=", "*=", "/=", "<<", ">>"};
            for (const char* pair : kPairs)
                if (code.compare(i, 2, pair) == 0) end = i + 2;
        }
        tokens.push_back({code.substr(i, end - i), line});
        i = end;
    }
    return tokens;
}

bool IsNumber(const std::string& token) {
    return !token.empty() && std::isdigit(static_cast<unsigned char>(token[0]));
}

// The value of an integer literal; -1 for a floating one.
long long NumberValue(std::string token) {
    std::erase(token, '\'');
    const bool hex = token.starts_with("0x") || token.starts_with("0X");
    if (token.find('.') != std::string::npos ||
        (!hex && token.find_first_of("eE") != std::string::npos))
        return -1;
    try {
        return std::stoll(token, nullptr, 0);
    } catch (...) {
        return -1;
    }
}

// What the vocabulary declares: its command numbers, the names of its value codes, and the
// selector fields its value codes are for (named in the comments over them).
struct Vocabulary {
    std::set<long long> commands;
    std::set<std::string> codeNames;
    std::set<std::string> selectors;
};

Vocabulary ReadVocabulary() {
    Vocabulary v;
    const std::string header = ReadFile(kSourceDir / "cmdlayer/include/ox_commands.h");
    const std::regex command(R"(constexpr (?:Group|Sub) k\w+ = (\d+);)");
    for (std::sregex_iterator m(header.begin(), header.end(), command), e; m != e; ++m)
        v.commands.insert(std::stoll((*m)[1]));
    const std::size_t codes = header.find("namespace code {");
    const std::size_t codesEnd = header.find("} // namespace code");
    const std::string codeText = header.substr(codes, codesEnd - codes);
    const std::regex name(R"(\b(k[A-Z]\w*)\b)");
    const std::string codeOnly = CodeOnly(codeText);
    for (std::sregex_iterator m(codeOnly.begin(), codeOnly.end(), name), e; m != e; ++m)
        v.codeNames.insert((*m)[1]);
    const std::regex field(R"(\b(n[A-Z]\w*)\b)");
    std::istringstream lines(codeText);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t comment = line.find("//");
        if (comment == std::string::npos) continue;
        const std::string text = line.substr(comment);
        for (std::sregex_iterator m(text.begin(), text.end(), field), e; m != e; ++m)
            v.selectors.insert((*m)[1]);
    }
    return v;
}

// Selectors whose values include the channel index (0 CH1, 1 CH2).
const std::set<std::string> kChannelValued = {
    "nActiveChannel", "nEdgeSource",  "nPulseSource", "nSlopeSource",  "nVideoSource",
    "nAltSource",     "nCurXSource",  "nCurYSource",  "nTrackSourceA", "nTrackSourceB",
    "nMathSourceA",   "nMathSourceB", "nFFTSource"};

// The field at `at` is what a switch statement switches over ("switch (s.nTrigMode)").
bool SwitchedOver(const std::vector<Token>& t, std::size_t at) {
    for (std::size_t k = at; k-- > 0 && at - k <= 6;) {
        if (t[k].text == "switch") return true;
        if (t[k].text != "(" && t[k].text != "." && t[k].text != "->" &&
            !std::isalpha(static_cast<unsigned char>(t[k].text[0])))
            return false;
    }
    return false;
}

// Every place a source restates the vocabulary.
std::vector<std::string> Restated(const Vocabulary& v, const std::string& source) {
    std::vector<std::string> found;
    const std::vector<Token> t = Tokens(CodeOnly(source));
    const auto literalCode = [&](const std::string& field, const Token& rhs) {
        if (IsNumber(rhs.text)) {
            const long long n = NumberValue(rhs.text);
            return !(kChannelValued.count(field) && (n == 0 || n == 1));
        }
        return false;
    };
    const auto ownConstant = [&](const Token& rhs, std::size_t at) {
        const bool qualified = at > 0 && t[at - 1].text == "::";
        return !qualified && rhs.text.size() > 1 && rhs.text[0] == 'k' &&
               std::isupper(static_cast<unsigned char>(rhs.text[1])) &&
               !v.codeNames.count(rhs.text);
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& token = t[i];
        if (token.text == "static_assert") { // the records' offsets are no commands
            int depth = 0;
            for (++i; i < t.size(); ++i) {
                if (t[i].text == "(") ++depth;
                if (t[i].text == ")" && --depth == 0) break;
            }
            continue;
        }
        if (IsNumber(token.text) && v.commands.count(NumberValue(token.text))) {
            found.push_back("line " + std::to_string(token.line) + ": command number " +
                            token.text);
            continue;
        }
        if (!v.selectors.count(token.text)) continue;
        std::size_t j = i + 1;
        if (j < t.size() && t[j].text == "[") { // an indexed field
            int depth = 0;
            for (; j < t.size(); ++j) {
                if (t[j].text == "[") ++depth;
                if (t[j].text == "]" && --depth == 0) break;
            }
            ++j;
        }
        if (j + 1 >= t.size()) continue;
        const std::string& op = t[j].text;
        const bool compares = op == "==" || op == "!=" || op == "<" || op == ">" || op == "<=" ||
                              op == ">=" || (op == "=" && t[j + 1].text != "=");
        std::size_t rhs = j + 1;
        if (compares && t[rhs].text == "-") ++rhs;
        if (compares && rhs < t.size() &&
            (literalCode(token.text, t[rhs]) || ownConstant(t[rhs], rhs))) {
            found.push_back("line " + std::to_string(token.line) + ": " + token.text + " " + op +
                            " " + t[rhs].text);
            continue;
        }
        // switch (… field …) { case N: … }
        if (SwitchedOver(t, i)) {
            std::size_t k = i;
            while (k < t.size() && t[k].text != "{")
                ++k;
            int depth = 0;
            for (; k < t.size(); ++k) {
                if (t[k].text == "{") ++depth;
                if (t[k].text == "}" && --depth == 0) break;
                if (depth == 1 && t[k].text == "case" && k + 1 < t.size() &&
                    (literalCode(token.text, t[k + 1]) || ownConstant(t[k + 1], k + 1)))
                    found.push_back("line " + std::to_string(t[k].line) + ": switch over " +
                                    token.text + ", case " + t[k + 1].text);
            }
        }
    }
    return found;
}

bool Scanned(const fs::path& path) {
    const std::string ext = path.extension().string();
    if (ext != ".cpp" && ext != ".h") return false;
    const std::string relative = fs::relative(path, kSourceDir).generic_string();
    if (relative.starts_with("build") || relative.starts_with(".")) return false;
    if (relative.find("/tests/") != std::string::npos) return false;
    return relative != "cmdlayer/include/ox_commands.h" &&
           relative != "cmdlayer/include/ox_settings.h";
}

TEST(VocabularyLiterals, TheCheckFindsRestatedNumbersAndOwnCodes) {
    const Vocabulary v = ReadVocabulary();
    ASSERT_TRUE(v.commands.count(3135));
    ASSERT_TRUE(v.selectors.count("nTrigMode"));
    ASSERT_TRUE(v.codeNames.count("kAlternate"));
    const std::string restated = R"(
        constexpr int kAlternateTrigger = 4;
        bool Alt(const _OX_SETUP& s) { return s.nTrigMode == kAlternateTrigger; }
        bool XY(const _OX_SETUP& s) { return s.nTimeFormat != 1; }
        void Post() { OxPost(3135, 1125, 0); }
        int Text(const _OX_SETUP& s) { switch (s.nAcqType) { case 2: return 1; } return 0; }
    )";
    EXPECT_EQ(Restated(v, restated).size(), 5u);
    const std::string named = R"(
        // group 3135 in a comment, "3135" in a text
        bool Alt(const _OX_SETUP& s) { return s.nTrigMode == code::kAlternate; }
        bool Ch2(const _OX_SETUP& s) { return s.nEdgeSource == 1 && s.fChanScale[1] > 0; }
        int Width(const _OX_SETUP& s) { return s.nTimeFormat == kXY ? 1'000 : 3135.5; }
    )";
    EXPECT_EQ(Restated(v, named), std::vector<std::string>{});
}

TEST(VocabularyLiterals, NoSourceOutsideTheVocabularyAndTheTestsRestatesIt) {
    const Vocabulary v = ReadVocabulary();
    std::vector<std::string> problems;
    for (auto it = fs::recursive_directory_iterator(kSourceDir);
         it != fs::recursive_directory_iterator(); ++it) {
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && (name.starts_with("build") || name.starts_with("."))) {
            it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file() || !Scanned(entry.path())) continue;
        for (const std::string& place : Restated(v, ReadFile(entry.path())))
            problems.push_back(fs::relative(entry.path(), kSourceDir).generic_string() + " " +
                               place);
    }
    std::string report;
    for (const std::string& p : problems)
        report += "  " + p + "\n";
    EXPECT_TRUE(problems.empty()) << "Name these from ox_commands.h / ox_settings.h:\n" << report;
}

} // namespace
