// The MOF report of the lab machine holds every instance with every property
// and reads back to the same values, references as the same object paths.
// (The JSON report of the lab machine is a golden report.)
#include "tests/e2e/LabSession.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <sstream>

using namespace telva_host;
using strata_test::LabReport;

namespace {

struct MofValue {
    bool isArray = false;
    std::string text;  // unescaped string, or the literal as written
    std::vector<MofValue> elements;
};

struct MofInstance {
    std::string className;
    std::vector<std::pair<std::string, MofValue> > properties;  // in declaration order
};

// Reads back `instance of Class { Name = value; ... };` declarations with
// strings, literals and arrays of them, independently of the writer; throws
// std::runtime_error at the first syntax error.
class MofReader {
public:
    explicit MofReader(const std::string& text) {
        static const std::regex token(R"(\s+|//[^\n]*|"(?:[^"\\\n]|\\.)*"|[{};=,]|[\w.\-]+|.)");
        for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
            if (!std::isspace(static_cast<unsigned char>(it->str()[0])) && it->str().rfind("//", 0) != 0) {
                tokens_.push_back(it->str());
            }
        }
    }

    std::vector<MofInstance> Instances() {
        std::vector<MofInstance> instances;
        while (pos_ < tokens_.size()) {
            Expect("instance");
            Expect("of");
            MofInstance instance{Word(), {}};
            Expect("{");
            while (!Accept("}")) {
                const std::string name = Word();
                Expect("=");
                instance.properties.push_back({name, Value()});
                Expect(";");
            }
            Expect(";");
            instances.push_back(instance);
        }
        return instances;
    }

private:
    std::string Peek() const { return pos_ < tokens_.size() ? tokens_[pos_] : ""; }
    bool Accept(const std::string& token) {
        if (Peek() != token) return false;
        ++pos_;
        return true;
    }
    void Expect(const std::string& token) {
        if (!Accept(token)) throw std::runtime_error("MOF: expected '" + token + "' at '" + Peek() + "'");
    }
    std::string Word() {
        const std::string word = Peek();
        if (word.empty() || !(std::isalnum(static_cast<unsigned char>(word[0])) || word[0] == '_' || word[0] == '-')) {
            throw std::runtime_error("MOF: expected a name or a literal at '" + word + "'");
        }
        ++pos_;
        return word;
    }
    MofValue Value() {
        MofValue value;
        if (Accept("{")) {
            value.isArray = true;
            if (Accept("}")) return value;
            do value.elements.push_back(Value());
            while (Accept(","));
            Expect("}");
        } else if (Peek().size() >= 2 && Peek()[0] == '"') {
            const std::string quoted = tokens_[pos_++];
            for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
                char c = quoted[i];
                if (c == '\\') {
                    c = quoted[++i];
                    c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
                }
                value.text += c;
            }
        } else {
            value.text = Word();
        }
        return value;
    }

    std::vector<std::string> tokens_;
    std::size_t pos_ = 0;
};

TEST(LabFormats, MofReadsBackToTheSameInstancesAndPaths) {
    STRATA_REQUIRE_LAB_REPORT();
    std::ostringstream out;
    WriteMofReport(out, *LabReport());
    std::vector<MofInstance> read;
    ASSERT_NO_THROW(read = MofReader(out.str()).Instances());
    std::size_t next = 0;
    for (const ClassResult& result : LabReport()->classes) {
        for (const InstanceRecord& instance : result.instances) {
            ASSERT_LT(next, read.size());
            const MofInstance& mof = read[next++];
            ASSERT_EQ(instance.className, mof.className);
            ASSERT_EQ(instance.properties.size(), mof.properties.size()) << mof.className;
            for (std::size_t i = 0; i < mof.properties.size(); ++i) {
                const NTELVA20::TCIMValue& value = instance.properties[i].second;
                const MofValue& text = mof.properties[i].second;
                EXPECT_EQ(instance.properties[i].first, mof.properties[i].first);
                EXPECT_EQ(value.IsArray(), text.isArray) << mof.properties[i].first;
                if (value.IsArray()) {
                    ASSERT_EQ(value.GetElements().size(), text.elements.size());
                    for (std::size_t e = 0; e < text.elements.size(); ++e) {
                        EXPECT_EQ(value.GetElements()[e].ToString(), text.elements[e].text);
                    }
                } else {
                    EXPECT_EQ(value.ToString(), text.text) << mof.className << "." << mof.properties[i].first;
                }
            }
        }
    }
    EXPECT_EQ(next, read.size());
}

}  // namespace
