#include "host/core/MofLexer.h"

#include "plugin/telva.h"

#include <cctype>
#include <cstring>

namespace telva_host {

namespace {

const char* kPunctuation = "{}[]();:,=";

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

MofLexer::MofLexer(const std::string& text) : text_(text) {}

void MofLexer::Fail(const std::string& message) const {
    throw NTELVA20::TTelvaException("schema line " + std::to_string(line_) + ": " + message);
}

void MofLexer::SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos_;
        } else if (text_.compare(pos_, 2, "//") == 0 || c == '#') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else if (text_.compare(pos_, 2, "/*") == 0) {
            const std::size_t end = text_.find("*/", pos_ + 2);
            if (end == std::string::npos) Fail("unterminated comment");
            for (std::size_t i = pos_; i < end; ++i) {
                if (text_[i] == '\n') ++line_;
            }
            pos_ = end + 2;
        } else {
            return;
        }
    }
}

MofToken MofLexer::ReadString() {
    MofToken token;
    token.kind = MofToken::kString;
    token.line = line_;
    ++pos_;  // the opening quote
    while (pos_ < text_.size() && text_[pos_] != '"') {
        if (text_[pos_] == '\n') Fail("line break inside a string");
        if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
        token.text += text_[pos_++];
    }
    if (pos_ >= text_.size()) Fail("unterminated string");
    ++pos_;  // the closing quote
    return token;
}

MofToken MofLexer::Next() {
    SkipBlanksAndComments();
    MofToken token;
    token.line = line_;
    if (pos_ >= text_.size()) return token;
    const char c = text_[pos_];
    if (c == '"') return ReadString();
    if (IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c))) {
        token.kind = MofToken::kName;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) token.text += text_[pos_++];
        return token;
    }
    if (c != '\0' && std::strchr(kPunctuation, c) != nullptr) {
        token.kind = MofToken::kPunctuation;
        token.text = std::string(1, c);
        ++pos_;
        return token;
    }
    Fail(std::string("unexpected character '") + c + "'");
}

}  // namespace telva_host
