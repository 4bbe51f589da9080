// Splits MOF text into tokens: names, quoted strings and punctuation.
// Comments (// and /* */) and #pragma lines are skipped.
#ifndef STRATA_HOST_CORE_MOFLEXER_H
#define STRATA_HOST_CORE_MOFLEXER_H

#include <string>

namespace telva_host {

struct MofToken {
    enum Kind { kEnd, kName, kString, kPunctuation };
    Kind kind = kEnd;
    std::string text;  // a string token holds its unescaped contents
    int line = 0;
};

class MofLexer {
public:
    explicit MofLexer(const std::string& text);

    // The next token; kEnd at the end of the text. Throws TTelvaException
    // for an unterminated string or comment or an unexpected character.
    MofToken Next();

private:
    void SkipBlanksAndComments();
    MofToken ReadString();
    [[noreturn]] void Fail(const std::string& message) const;

    const std::string text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace telva_host

#endif
