#include "host/core/MofParser.h"

#include "host/core/MofLexer.h"

#include <algorithm>
#include <cctype>
#include <set>

using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;

namespace telva_host {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class MofParser {
public:
    explicit MofParser(const std::string& text) : lexer_(text) { Advance(); }

    Schema Parse() {
        Schema schema;
        while (token_.kind != MofToken::kEnd) ParseClass(schema);
        return schema;
    }

private:
    void Advance() { token_ = lexer_.Next(); }

    [[noreturn]] void Fail(const std::string& message) const {
        throw TTelvaException("schema line " + std::to_string(token_.line) + ": " + message);
    }

    bool Is(const char* punctuation) const {
        return token_.kind == MofToken::kPunctuation && token_.text == punctuation;
    }

    void Expect(const char* punctuation) {
        if (!Is(punctuation)) Fail(std::string("expected '") + punctuation + "', found '" + token_.text + "'");
        Advance();
    }

    std::string ExpectName(const char* what) {
        if (token_.kind != MofToken::kName) Fail(std::string("expected ") + what + ", found '" + token_.text + "'");
        std::string name = token_.text;
        Advance();
        return name;
    }

    // [Qualifier, Qualifier("value")]: the lower-cased names.
    std::set<std::string> ParseQualifiers() {
        std::set<std::string> names;
        if (!Is("[")) return names;
        Advance();
        for (;;) {
            const int line = token_.line;
            const std::string name = Lower(ExpectName("a qualifier"));
            if (name != "key" && name != "association" && name != "abstract" && name != "description") {
                throw TTelvaException("schema line " + std::to_string(line) + ": unknown qualifier " + name);
            }
            if (Is("(")) {
                Advance();
                if (token_.kind != MofToken::kString && token_.kind != MofToken::kName) Fail("expected a qualifier value");
                Advance();
                Expect(")");
            }
            names.insert(name);
            if (!Is(",")) break;
            Advance();
        }
        Expect("]");
        return names;
    }

    PropertyDefinition ParseProperty() {
        const std::set<std::string> qualifiers = ParseQualifiers();
        PropertyDefinition property;
        property.isKey = qualifiers.count("key") != 0;
        const int line = token_.line;
        const std::string typeName = ExpectName("a property type");
        if (token_.kind == MofToken::kName && token_.text == "ref") {
            Advance();
            property.type = TCIMValue::TCIMType(TCIMValue::TCIMType::kReference);
            property.referenceClass = typeName;
        } else {
            if (typeName == "reference") {
                throw TTelvaException("schema line " + std::to_string(line) + ": write references as 'Class ref Name'");
            }
            try {
                property.type = TCIMValue::TCIMType(typeName);
            } catch (const TTelvaException& error) {
                throw TTelvaException("schema line " + std::to_string(line) + ": " + error.what());
            }
        }
        property.name = ExpectName("a property name");
        if (Is("[")) {
            if (!property.referenceClass.empty()) Fail("a reference cannot be an array");
            Advance();
            Expect("]");
            property.isArray = true;
        }
        Expect(";");
        return property;
    }

    void ParseClass(Schema& schema) {
        const std::set<std::string> qualifiers = ParseQualifiers();
        const int line = token_.line;
        if (ExpectName("'class'") != "class") {
            throw TTelvaException("schema line " + std::to_string(line) + ": expected 'class'");
        }
        ClassDefinition definition;
        definition.name = ExpectName("a class name");
        definition.isAssociation = qualifiers.count("association") != 0;
        definition.isAbstract = qualifiers.count("abstract") != 0;
        if (Is(":")) {
            Advance();
            definition.parent = ExpectName("a parent class name");
        }
        Expect("{");
        while (!Is("}")) {
            if (token_.kind == MofToken::kEnd) Fail("class " + definition.name + " is not closed");
            definition.properties.push_back(ParseProperty());
        }
        Advance();
        Expect(";");
        try {
            schema.AddClass(definition);
            Check(schema, *schema.FindClass(definition.name));
        } catch (const TTelvaException& error) {
            throw TTelvaException("schema line " + std::to_string(line) + ": " + error.what());
        }
    }

    // Rules a CIM schema keeps: references only in associations and only to
    // known classes, at least two of them there, and a key in every concrete class.
    static void Check(const Schema& schema, const ClassDefinition& definition) {
        int references = 0;
        bool hasKey = false;
        for (const PropertyDefinition& property : definition.properties) {
            hasKey = hasKey || property.isKey;
            if (property.referenceClass.empty()) continue;
            ++references;
            if (schema.FindClass(property.referenceClass) == nullptr) {
                throw TTelvaException("property " + property.name + " refers to unknown class " +
                                      property.referenceClass);
            }
        }
        if (references != 0 && !definition.isAssociation) {
            throw TTelvaException("class " + definition.name + " has references but is not an association");
        }
        if (definition.isAssociation && references < 2) {
            throw TTelvaException("association " + definition.name + " needs two references");
        }
        if (!hasKey && !definition.isAbstract) {
            throw TTelvaException("class " + definition.name + " has no key property");
        }
    }

    MofLexer lexer_;
    MofToken token_;
};

}  // namespace

Schema ParseMof(const std::string& text) { return MofParser(text).Parse(); }

}  // namespace telva_host
