// Cp932Literals INPUT OUTPUT: rewrites one C++ translation unit so that clang, which encodes
// ordinary literals in UTF-8 only (it refuses -fexec-charset=CP932), gives them the bytes that
// g++ -fexec-charset=CP932 gives. Every non-ASCII character of an ordinary string or character
// literal becomes the octal escapes of its code-page-932 bytes, converted by glibc's iconv as
// g++ converts them. Raw strings are split around such characters and joined again by literal
// concatenation. Comments, prefixed literals (u8, u, U, L), line markers and all the rest pass
// unchanged; nothing moves to another line, so diagnostics and debug lines stay right.
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

class Cp932Converter {
public:
    Cp932Converter() : cd_(iconv_open("CP932", "UTF-8")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
    }
    ~Cp932Converter() { iconv_close(cd_); }
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    // The CP932 bytes of a UTF-8 text; throws for a character code page 932 lacks.
    std::string operator()(std::string utf8) {
        std::string out(utf8.size() * 2 + 8, '\0');
        char* in = utf8.data();
        std::size_t inLeft = utf8.size();
        char* o = out.data();
        std::size_t outLeft = out.size();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(cd_, nullptr, nullptr, &o, &outLeft) == static_cast<std::size_t>(-1))
            throw std::runtime_error("not convertible to code page 932: " + utf8);
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t cd_;
};

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

class Rewriter {
public:
    explicit Rewriter(const std::string& text) : s_(text) {}

    std::string Run() {
        while (i_ < s_.size()) {
            if (lineStart_ && Directive()) continue;
            const char c = s_[i_];
            lineStart_ = c == '\n';
            if (c == '/' && Next(1) == '/') {
                LineComment();
            } else if (c == '/' && Next(1) == '*') {
                BlockComment();
            } else if (c == '"' || c == '\'') {
                Quoted(c, true);
            } else if (IsDigit(c) || (c == '.' && IsDigit(Next(1)))) {
                Number();
            } else if (IsIdentifierChar(c)) {
                Identifier();
            } else {
                Copy(1);
            }
        }
        return out_;
    }

private:
    char Next(std::size_t k) const { return i_ + k < s_.size() ? s_[i_ + k] : '\0'; }
    void Copy(std::size_t n) {
        out_.append(s_, i_, n);
        i_ += n;
    }
    void Line() {
        while (i_ < s_.size() && s_[i_] != '\n') Copy(1);
    }

    // Line markers, #line and #include name files: they stay as they are.
    bool Directive() {
        std::size_t j = i_;
        while (j < s_.size() && (s_[j] == ' ' || s_[j] == '\t')) ++j;
        if (j >= s_.size() || s_[j] != '#') return false;
        ++j;
        while (j < s_.size() && (s_[j] == ' ' || s_[j] == '\t')) ++j;
        const bool names = (j < s_.size() && IsDigit(s_[j])) || s_.compare(j, 4, "line") == 0 ||
                           s_.compare(j, 7, "include") == 0;
        lineStart_ = false;
        if (!names) return false;
        Line();
        return true;
    }

    void LineComment() {
        while (i_ < s_.size() && s_[i_] != '\n') {
            if (s_[i_] == '\\' && Next(1) == '\n') Copy(1);  // a spliced comment goes on
            Copy(1);
        }
    }

    void BlockComment() {
        const std::size_t end = s_.find("*/", i_ + 2);
        Copy(end == std::string::npos ? s_.size() - i_ : end + 2 - i_);
    }

    // A pp-number, digit separators included, so that 1'000 opens no character literal.
    void Number() {
        Copy(1);
        while (i_ < s_.size()) {
            const char c = s_[i_];
            const char before = s_[i_ - 1];
            if ((c == '+' || c == '-') && (before == 'e' || before == 'E' || before == 'p' || before == 'P'))
                Copy(1);
            else if (c == '\'' && IsIdentifierChar(Next(1)))
                Copy(2);
            else if (IsIdentifierChar(c) || c == '.')
                Copy(1);
            else
                break;
        }
    }

    void Identifier() {
        std::size_t end = i_;
        while (end < s_.size() && IsIdentifierChar(s_[end])) ++end;
        const std::string word = s_.substr(i_, end - i_);
        Copy(end - i_);
        if (i_ >= s_.size()) return;
        const bool encodingPrefix = word == "u8" || word == "u" || word == "U" || word == "L";
        if (s_[i_] == '"' && word == "R") {
            Raw(true);
        } else if (s_[i_] == '"' && (word == "u8R" || word == "uR" || word == "UR" || word == "LR")) {
            Raw(false);
        } else if ((s_[i_] == '"' || s_[i_] == '\'') && encodingPrefix) {
            Quoted(s_[i_], false);
        }
    }

    // An ordinary or prefixed literal; it ends at its closing quote or, unterminated (an
    // apostrophe in a skipped #error line), at the end of the line.
    void Quoted(char quote, bool ordinary) {
        Copy(1);
        while (i_ < s_.size() && s_[i_] != '\n') {
            const char c = s_[i_];
            if (c == quote) {
                Copy(1);
                return;
            }
            if (c == '\\' && !IsHigh(Next(1))) {
                Copy(i_ + 1 < s_.size() && s_[i_ + 1] != '\n' ? 2 : 1);
            } else if (IsHigh(c) && ordinary) {
                out_ += Escaped(HighRun());
            } else {
                Copy(1);
            }
        }
    }

    // R"delim(...)delim": a run of non-ASCII characters is taken out of the raw string as an
    // ordinary literal of escapes: R"d(a)d" "\225\134" R"d(b)d".
    void Raw(bool ordinary) {
        const std::size_t open = s_.find('(', i_);
        if (open == std::string::npos) {
            Copy(1);
            return;
        }
        const std::string delimiter = s_.substr(i_ + 1, open - i_ - 1);
        const std::string close = ")" + delimiter + "\"";
        const std::size_t end = s_.find(close, open + 1);
        if (end == std::string::npos) {
            Copy(1);
            return;
        }
        Copy(open + 1 - i_);
        while (i_ < end) {
            if (ordinary && IsHigh(s_[i_])) {
                out_ += close + " \"" + Escaped(HighRun()) + "\" R\"" + delimiter + "(";
            } else {
                Copy(1);
            }
        }
        Copy(close.size());
    }

    std::string HighRun() {
        const std::size_t start = i_;
        while (i_ < s_.size() && IsHigh(s_[i_])) ++i_;
        return s_.substr(start, i_ - start);
    }

    // Three octal digits always: the next character of the literal can never extend an escape.
    std::string Escaped(const std::string& utf8) {
        std::string escaped;
        for (const char b : convert_(utf8)) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(static_cast<unsigned char>(b)));
            escaped += octal;
        }
        return escaped;
    }

    const std::string& s_;
    std::string out_;
    std::size_t i_ = 0;
    bool lineStart_ = true;
    Cp932Converter convert_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: Cp932Literals INPUT OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "Cp932Literals: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        const std::string rewritten = Rewriter(text).Run();
        std::ofstream out(argv[2], std::ios::binary);
        out << rewritten;
        if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "Cp932Literals: " << argv[1] << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}
