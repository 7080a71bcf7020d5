// A line-oriented reader: each line is a window header, a control, "end", blank or a comment.
#include "platform/desktop/InterfaceDescription.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/cf/CFString.h"

namespace {

struct Token {
    enum Kind { Word, String, Code, Number } kind;
    std::string text;
    long number = 0;
};

// Splits one line; false with a message on a malformed token.
bool Tokenize(const std::string& line, std::vector<Token>& out, std::string& error)
{
    out.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string s;
            for (++i;; ++i) {
                if (i >= line.size()) {
                    error = "unterminated string";
                    return false;
                }
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size()) ++i;
                s += line[i];
            }
            ++i;
            CFRef<CFStringRef> valid(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(s.data()),
                                                             CFIndex(s.size()), kCFStringEncodingUTF8, false));
            if (!valid) {
                error = "a quoted text is not UTF-8";
                return false;
            }
            out.push_back(Token{Token::String, s});
        } else if (c == '\'') {
            size_t end = line.find('\'', i + 1);
            if (end == std::string::npos || end - i - 1 != 4) {
                error = "a code is four characters in single quotes";
                return false;
            }
            out.push_back(Token{Token::Code, line.substr(i + 1, 4)});
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && !std::strchr(" \t\r#\"'", line[end])) ++end;
            std::string word = line.substr(i, end - i);
            i = end;
            char* stop = nullptr;
            errno = 0;
            long n = std::strtol(word.c_str(), &stop, 10);
            bool numeric = (std::isdigit(static_cast<unsigned char>(word[0])) || (word[0] == '-' && word.size() > 1)) &&
                           stop && *stop == 0;
            if (numeric && (errno == ERANGE || n < INT32_MIN || n > INT32_MAX)) {
                error = "number out of range: " + word;
                return false;
            }
            out.push_back(numeric ? Token{Token::Number, word, n} : Token{Token::Word, word});
        }
    }
    return true;
}

OSType CodeOf(const std::string& s)
{
    return (OSType(UInt8(s[0])) << 24) | (OSType(UInt8(s[1])) << 16) | (OSType(UInt8(s[2])) << 8) | OSType(UInt8(s[3]));
}

// Reads keyword-value pairs after the first token(s) of a line.
class Fields {
public:
    Fields(const std::vector<Token>& t, size_t start, std::string& error) : mTokens(t), mAt(start), mError(error) {}

    bool Done() const { return mAt >= mTokens.size(); }
    const Token* Next()
    {
        if (mAt >= mTokens.size()) return nullptr;
        return &mTokens[mAt++];
    }
    bool Number(long& v, const std::string& what)
    {
        const Token* t = Next();
        if (!t || t->kind != Token::Number) return Fail(what + " needs a number");
        v = t->number;
        return true;
    }
    bool Optional(long& v)
    {
        if (mAt < mTokens.size() && mTokens[mAt].kind == Token::Number) {
            v = mTokens[mAt++].number;
            return true;
        }
        return false;
    }
    bool Text(std::string& v, const std::string& what)
    {
        const Token* t = Next();
        if (!t || t->kind != Token::String) return Fail(what + " needs a quoted text");
        v = t->text;
        return true;
    }
    bool Code(OSType& v, const std::string& what)
    {
        const Token* t = Next();
        if (!t || t->kind != Token::Code) return Fail(what + " needs a four-character code in single quotes");
        v = CodeOf(t->text);
        return true;
    }
    bool Word(std::string& v, const std::string& what)
    {
        const Token* t = Next();
        if (!t || t->kind != Token::Word) return Fail(what + " needs a word");
        v = t->text;
        return true;
    }
    // "at X Y" and "size W H" into a rectangle; the pair flags record which were seen.
    bool Geometry(const std::string& key, Rect& r, bool& sawAt, bool& sawSize)
    {
        long a, b;
        if (!Number(a, key) || !Number(b, key)) return false;
        if (key == "at") {
            if (a < -16000 || a > 16000 || b < -16000 || b > 16000) return Fail("position out of range");
            long w = r.right - r.left, h = r.bottom - r.top;
            r.left = SInt16(a);
            r.top = SInt16(b);
            r.right = SInt16(a + w);
            r.bottom = SInt16(b + h);
            sawAt = true;
        } else {
            if (a <= 0 || b <= 0 || a > 8000 || b > 8000) return Fail("size must be positive and below 8000");
            r.right = SInt16(r.left + a);
            r.bottom = SInt16(r.top + b);
            sawSize = true;
        }
        return true;
    }
    bool Fail(const std::string& m)
    {
        mError = m;
        return false;
    }

private:
    const std::vector<Token>& mTokens;
    size_t mAt;
    std::string& mError;
};

bool ParseWindow(const std::vector<Token>& t, InterfaceDescription::Window& w, std::string& error)
{
    if (t.size() < 2 || t[1].kind != Token::String || t[1].text.empty()) {
        error = "window needs a quoted name";
        return false;
    }
    w.name = t[1].text;
    Fields f(t, 2, error);
    bool sawAt = false, sawSize = false;
    while (!f.Done()) {
        std::string key;
        if (!f.Word(key, "window")) return false;
        if (key == "title") {
            if (!f.Text(w.title, key)) return false;
        } else if (key == "at" || key == "size") {
            if (!f.Geometry(key, w.bounds, sawAt, sawSize)) return false;
        } else if (key == "class") {
            static const std::map<std::string, WindowClass> classes = {
                {"document", kDocumentWindowClass}, {"modal", kModalWindowClass},
                {"movable-modal", kMovableModalWindowClass}, {"floating", kFloatingWindowClass},
                {"plain", kPlainWindowClass}};
            std::string c;
            if (!f.Word(c, key)) return false;
            auto it = classes.find(c);
            if (it == classes.end()) return f.Fail("unknown window class " + c);
            w.windowClass = it->second;
        } else {
            return f.Fail("unknown window field " + key);
        }
    }
    if (!sawSize) return f.Fail("window needs a size");
    return true;
}

bool ParseControl(const std::vector<Token>& t, OSType kind, InterfaceDescription::Control& c, std::string& error)
{
    c.kind = kind;
    if (kind == kControlKindCheckBox) c.maximum = 1;
    Fields f(t, 1, error);
    bool sawAt = false, sawSize = false, sawValue = false;
    while (!f.Done()) {
        std::string key;
        if (!f.Word(key, "control")) return false;
        long n = 0;
        if (key == "id") {
            if (!f.Code(c.id.signature, key)) return false;
            c.id.id = f.Optional(n) ? SInt32(n) : 0;
            c.hasID = true;
        } else if (key == "command") {
            if (!f.Code(c.command, key)) return false;
        } else if (key == "at" || key == "size") {
            if (!f.Geometry(key, c.bounds, sawAt, sawSize)) return false;
        } else if (key == "title") {
            if (!f.Text(c.title, key)) return false;
        } else if (key == "value" || key == "min" || key == "max" || key == "step") {
            if (!f.Number(n, key)) return false;
            bool ranged = kind == kControlKindSlider || (kind == kControlKindCheckBox && key == "value");
            if (!ranged) return f.Fail(key + " does not apply to this kind of control");
            if (key == "value") c.value = SInt32(n), sawValue = true;
            if (key == "min") c.minimum = SInt32(n);
            if (key == "max") c.maximum = SInt32(n);
            if (key == "step") {
                if (n < 1) return f.Fail("step must be at least 1");
                c.step = SInt32(n);
            }
        } else {
            return f.Fail("unknown control field " + key);
        }
    }
    if (!sawAt || !sawSize) return f.Fail("control needs at and size");
    if (c.minimum > c.maximum) return f.Fail("min is above max");
    if (!sawValue) c.value = c.minimum;
    if (c.value < c.minimum || c.value > c.maximum) return f.Fail("value lies outside min and max");
    return true;
}

}  // namespace

bool InterfaceDescription::Parse(const std::string& text, std::string& error)
{
    static const std::map<std::string, OSType> kinds = {{"text", kControlKindStaticText},
                                                        {"checkbox", kControlKindCheckBox},
                                                        {"slider", kControlKindSlider},
                                                        {"button", kControlKindPushButton}};
    std::vector<Window> windows;
    Window* open = nullptr;
    int lineNumber = 0;
    size_t start = 0;
    std::vector<Token> tokens;
    std::string problem;
    auto fail = [&](const std::string& m) {
        error = "line " + std::to_string(lineNumber) + ": " + m;
        return false;
    };
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        ++lineNumber;
        if (line.find('\0') != std::string::npos) return fail("NUL byte");
        if (!Tokenize(line, tokens, problem)) return fail(problem);
        if (tokens.empty()) continue;
        if (tokens[0].kind != Token::Word) return fail("a line starts with window, end or a control kind");
        const std::string& head = tokens[0].text;
        if (head == "window") {
            if (open) return fail("window \"" + open->name + "\" lacks its end");
            Window w;
            if (!ParseWindow(tokens, w, problem)) return fail(problem);
            for (const Window& other : windows)
                if (other.name == w.name) return fail("a second window named \"" + w.name + "\"");
            windows.push_back(w);
            open = &windows.back();
        } else if (head == "end") {
            if (!open || tokens.size() != 1) return fail(open ? "end takes nothing after it" : "end without a window");
            open = nullptr;
        } else if (auto k = kinds.find(head); k != kinds.end()) {
            if (!open) return fail("a control outside a window");
            Control c;
            if (!ParseControl(tokens, k->second, c, problem)) return fail(problem);
            for (const Control& other : open->controls)
                if (c.hasID && other.hasID && other.id.signature == c.id.signature && other.id.id == c.id.id)
                    return fail("a second control with the same id");
            open->controls.push_back(c);
        } else {
            return fail("unknown line " + head);
        }
    }
    if (open) {
        error = "window \"" + open->name + "\" lacks its end";
        return false;
    }
    mWindows = std::move(windows);
    return true;
}

const InterfaceDescription::Window* InterfaceDescription::Find(const std::string& name) const
{
    for (const Window& w : mWindows)
        if (w.name == name) return &w;
    return nullptr;
}
