// Reads back the instance declarations of a MOF report, independently of
// the writer: `instance of Class { Name = value; ... };` with strings,
// numbers, booleans, null and arrays of them.
#ifndef STRATA_TESTS_E2E_REPORTMOFREADER_H
#define STRATA_TESTS_E2E_REPORTMOFREADER_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace strata_test {

struct MofValue {
    bool isString = false;
    bool isArray = false;
    std::string text;                  // unescaped string, or the literal as written
    std::vector<MofValue> elements;
};

struct MofInstance {
    std::string className;
    std::vector<std::pair<std::string, MofValue> > properties;  // in declaration order
};

// Throws std::runtime_error naming the line of the first syntax error.
std::vector<MofInstance> ReadMofInstances(const std::string& text);

// An object path "namespace:Class.Key=\"value\",..." split into its parts.
struct ObjectPath {
    std::string nameSpace;
    std::string className;
    std::map<std::string, std::string> keys;
};
ObjectPath ParseObjectPath(const std::string& path);

}  // namespace strata_test

#endif
