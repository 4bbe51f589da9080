#include "tests/e2e/ReportMofReader.h"

#include <cctype>

namespace strata_test {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    std::vector<MofInstance> Instances() {
        std::vector<MofInstance> instances;
        for (SkipBlanks(); pos_ < text_.size(); SkipBlanks()) {
            Expect("instance");
            Expect("of");
            MofInstance instance;
            instance.className = Name();
            Expect("{");
            while (!Accept("}")) {
                const std::string property = Name();
                Expect("=");
                instance.properties.push_back({property, Value()});
                Expect(";");
            }
            Expect(";");
            instances.push_back(instance);
        }
        return instances;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        int line = 1;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
        throw std::runtime_error("MOF line " + std::to_string(line) + ": " + what);
    }

    void SkipBlanks() {
        while (pos_ < text_.size()) {
            if (std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            } else if (text_.compare(pos_, 2, "//") == 0 || text_[pos_] == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    bool Accept(const std::string& token) {
        SkipBlanks();
        if (text_.compare(pos_, token.size(), token) != 0) return false;
        pos_ += token.size();
        return true;
    }

    void Expect(const std::string& token) {
        if (!Accept(token)) Fail("expected '" + token + "'");
    }

    // A name or an unquoted literal (number, true, false, null).
    std::string Name() {
        SkipBlanks();
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' ||
                text_[pos_] == '-' || text_[pos_] == '.')) {
            ++pos_;
        }
        if (pos_ == start) Fail("expected a name or a literal");
        return text_.substr(start, pos_ - start);
    }

    std::string String() {
        std::string value;
        for (++pos_; pos_ < text_.size() && text_[pos_] != '"'; ++pos_) {
            if (text_[pos_] == '\n') Fail("line break in a string");
            if (text_[pos_] == '\\') {
                if (++pos_ >= text_.size()) break;
                const char c = text_[pos_];
                value += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
            } else {
                value += text_[pos_];
            }
        }
        if (pos_ >= text_.size()) Fail("unterminated string");
        ++pos_;
        return value;
    }

    MofValue Value() {
        SkipBlanks();
        MofValue value;
        if (Accept("{")) {
            value.isArray = true;
            if (Accept("}")) return value;
            do {
                value.elements.push_back(Value());
            } while (Accept(","));
            Expect("}");
        } else if (pos_ < text_.size() && text_[pos_] == '"') {
            value.isString = true;
            value.text = String();
        } else {
            value.text = Name();
        }
        return value;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<MofInstance> ReadMofInstances(const std::string& text) { return Reader(text).Instances(); }

ObjectPath ParseObjectPath(const std::string& path) {
    ObjectPath parsed;
    const std::size_t colon = path.find(':');
    const std::size_t dot = path.find('.', colon == std::string::npos ? 0 : colon);
    if (colon == std::string::npos || dot == std::string::npos) throw std::runtime_error("not an object path: " + path);
    parsed.nameSpace = path.substr(0, colon);
    parsed.className = path.substr(colon + 1, dot - colon - 1);
    std::size_t pos = dot + 1;
    while (pos < path.size()) {
        const std::size_t equals = path.find("=\"", pos);
        if (equals == std::string::npos) throw std::runtime_error("bad key in " + path);
        std::string value;
        std::size_t at = equals + 2;
        for (; at < path.size() && path[at] != '"'; ++at) {
            if (path[at] == '\\' && at + 1 < path.size()) ++at;
            value += path[at];
        }
        parsed.keys[path.substr(pos, equals - pos)] = value;
        pos = at + 2;  // past the closing quote and the comma
    }
    return parsed;
}

}  // namespace strata_test
