// A small JSON Schema validator for the tests of velor-cli's JSON output. It knows the keywords
// docs/velor-cli.schema.json uses: type (a name or a list of names), properties, required,
// additionalProperties (true, false or a schema), items (one schema for every element),
// minItems, maxItems, enum, const, minimum, maximum, allOf, anyOf, oneOf and $ref to a local
// definition ("#/$defs/NAME"). Any other keyword fails the validation, so that the schema can
// never say more than this checks. Descriptive keywords ($schema, $id, title, description) are
// skipped.
#pragma once

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace velor::testing {

class JsonSchemaValidator {
public:
    using Json = nlohmann::json;

    explicit JsonSchemaValidator(Json schema) : root_(std::move(schema)) {}

    // The problems of a document, each with the JSON pointer where it was found; empty when
    // the document is valid.
    std::vector<std::string> Validate(const Json& document) const {
        std::vector<std::string> errors;
        Check(root_, document, "", errors);
        return errors;
    }

private:
    static bool HasType(const Json& value, const std::string& type) {
        if (type == "object") {
            return value.is_object();
        }
        if (type == "array") {
            return value.is_array();
        }
        if (type == "string") {
            return value.is_string();
        }
        if (type == "boolean") {
            return value.is_boolean();
        }
        if (type == "null") {
            return value.is_null();
        }
        if (type == "integer") {
            return value.is_number_integer() ||
                   (value.is_number_float() &&
                    value.get<double>() == static_cast<double>(value.get<long long>()));
        }
        if (type == "number") {
            return value.is_number();
        }
        return false;
    }

    const Json& Resolve(const std::string& ref) const {
        const std::string prefix = "#/$defs/";
        if (ref.rfind(prefix, 0) != 0 || !root_.contains("$defs") ||
            !root_["$defs"].contains(ref.substr(prefix.size()))) {
            throw std::runtime_error("unknown $ref " + ref);
        }
        return root_["$defs"][ref.substr(prefix.size())];
    }

    void Check(const Json& schema, const Json& value, const std::string& at,
               std::vector<std::string>& errors) const {
        static const std::set<std::string> kSkipped = {"$schema", "$id", "title", "description",
                                                       "$defs"};
        const auto fail = [&](const std::string& what) {
            errors.push_back((at.empty() ? "/" : at) + ": " + what);
        };
        for (const auto& [keyword, argument] : schema.items()) {
            if (kSkipped.count(keyword) != 0) {
                continue;
            }
            if (keyword == "$ref") {
                Check(Resolve(argument.get<std::string>()), value, at, errors);
            } else if (keyword == "type") {
                bool any = false;
                for (const Json& type : argument.is_array() ? argument : Json::array({argument})) {
                    any = any || HasType(value, type.get<std::string>());
                }
                if (!any) {
                    fail("not of type " + argument.dump());
                }
            } else if (keyword == "properties") {
                for (const auto& [name, sub] : argument.items()) {
                    if (value.is_object() && value.contains(name)) {
                        Check(sub, value[name], at + "/" + name, errors);
                    }
                }
            } else if (keyword == "required") {
                for (const Json& name : argument) {
                    if (value.is_object() && !value.contains(name.get<std::string>())) {
                        fail("lacks " + name.get<std::string>());
                    }
                }
            } else if (keyword == "additionalProperties") {
                if (!value.is_object()) {
                    continue;
                }
                const Json properties = schema.value("properties", Json::object());
                for (const auto& [name, item] : value.items()) {
                    if (properties.contains(name)) {
                        continue;
                    }
                    if (argument.is_boolean()) {
                        if (!argument.get<bool>()) {
                            fail("has no field " + name + " in the schema");
                        }
                    } else {
                        Check(argument, item, at + "/" + name, errors);
                    }
                }
            } else if (keyword == "items") {
                if (value.is_array()) {
                    for (std::size_t i = 0; i < value.size(); ++i) {
                        Check(argument, value[i], at + "/" + std::to_string(i), errors);
                    }
                }
            } else if (keyword == "minItems" || keyword == "maxItems") {
                const bool min = keyword == "minItems";
                if (value.is_array() && (min ? value.size() < argument.get<std::size_t>()
                                             : value.size() > argument.get<std::size_t>())) {
                    fail(keyword + " " + argument.dump());
                }
            } else if (keyword == "minimum" || keyword == "maximum") {
                const bool min = keyword == "minimum";
                if (value.is_number() && (min ? value.get<double>() < argument.get<double>()
                                              : value.get<double>() > argument.get<double>())) {
                    fail(value.dump() + " beyond " + keyword + " " + argument.dump());
                }
            } else if (keyword == "enum") {
                if (std::find(argument.begin(), argument.end(), value) == argument.end()) {
                    fail(value.dump() + " not in " + argument.dump());
                }
            } else if (keyword == "const") {
                if (value != argument) {
                    fail(value.dump() + " is not " + argument.dump());
                }
            } else if (keyword == "allOf" || keyword == "anyOf" || keyword == "oneOf") {
                std::size_t passed = 0;
                std::vector<std::string> inner;
                for (const Json& sub : argument) {
                    std::vector<std::string> subErrors;
                    Check(sub, value, at, subErrors);
                    passed += subErrors.empty() ? 1 : 0;
                    inner.insert(inner.end(), subErrors.begin(), subErrors.end());
                }
                const bool ok = keyword == "allOf"   ? passed == argument.size()
                                : keyword == "anyOf" ? passed >= 1
                                                     : passed == 1;
                if (!ok) {
                    fail(keyword + " holds for " + std::to_string(passed) + " of " +
                         std::to_string(argument.size()) + " schemas" +
                         (inner.empty() ? std::string() : " (first: " + inner.front() + ")"));
                }
            } else {
                throw std::runtime_error("the validator does not know the keyword " + keyword);
            }
        }
    }

    Json root_;
};

} // namespace velor::testing
