#pragma once
// A JSON Schema check for the command's documents: the part of the 2020-12
// vocabulary the command's schema uses ($ref into $defs, oneOf, type, const,
// enum, properties, required, additionalProperties, items, minimum,
// pattern). Returns where a document breaks the schema, one line each.
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace command_tests {

class JsonSchema {
public:
    explicit JsonSchema(nlohmann::json schema) : root_(std::move(schema)) {}

    std::vector<std::string> Problems(const nlohmann::json& document) const {
        std::vector<std::string> problems;
        Check(root_, document, "$", problems);
        return problems;
    }

private:
    using Json = nlohmann::json;

    const Json& Resolved(const Json& schema) const {
        if (!schema.is_object() || !schema.contains("$ref")) return schema;
        const std::string ref = schema.at("$ref");
        const std::string prefix = "#/$defs/";
        if (ref.rfind(prefix, 0) != 0) throw std::runtime_error("unsupported $ref " + ref);
        return Resolved(root_.at("$defs").at(ref.substr(prefix.size())));
    }

    static bool IsType(const Json& value, const std::string& type) {
        if (type == "null") return value.is_null();
        if (type == "boolean") return value.is_boolean();
        if (type == "integer") return value.is_number_integer();
        if (type == "number") return value.is_number();
        if (type == "string") return value.is_string();
        if (type == "array") return value.is_array();
        if (type == "object") return value.is_object();
        return false;
    }

    void Check(const Json& raw, const Json& value, const std::string& at, std::vector<std::string>& problems) const {
        const Json& schema = Resolved(raw);
        if (schema.contains("oneOf")) {
            int matched = 0;
            std::vector<std::string> closest;
            for (const Json& option : schema.at("oneOf")) {
                std::vector<std::string> found;
                Check(option, value, at, found);
                if (found.empty()) ++matched;
                if (closest.empty() || found.size() < closest.size()) closest = found;
            }
            if (matched != 1) {
                problems.push_back(at + ": matches " + std::to_string(matched) + " of oneOf");
                if (matched == 0) problems.insert(problems.end(), closest.begin(), closest.end());
            }
        }
        if (schema.contains("type")) {
            const Json& type = schema.at("type");
            bool ok = false;
            if (type.is_array())
                for (const Json& t : type) ok = ok || IsType(value, t.get<std::string>());
            else
                ok = IsType(value, type.get<std::string>());
            if (!ok) {
                problems.push_back(at + ": " + value.dump() + " is not " + type.dump());
                return;
            }
        }
        if (schema.contains("const") && value != schema.at("const"))
            problems.push_back(at + ": " + value.dump() + " is not " + schema.at("const").dump());
        if (schema.contains("enum")) {
            const Json& options = schema.at("enum");
            if (std::find(options.begin(), options.end(), value) == options.end())
                problems.push_back(at + ": " + value.dump() + " is none of " + options.dump());
        }
        if (schema.contains("minimum") && value.is_number() && value.get<double>() < schema.at("minimum").get<double>())
            problems.push_back(at + ": " + value.dump() + " is below the minimum");
        if (schema.contains("pattern") && value.is_string() &&
            !std::regex_search(value.get<std::string>(), std::regex(schema.at("pattern").get<std::string>())))
            problems.push_back(at + ": " + value.dump() + " does not match " + schema.at("pattern").dump());
        if (value.is_object()) {
            if (schema.contains("required"))
                for (const Json& name : schema.at("required"))
                    if (!value.contains(name.get<std::string>())) problems.push_back(at + ": lacks " + name.dump());
            const Json none = Json::object();
            const Json& properties = schema.contains("properties") ? schema.at("properties") : none;
            for (const auto& [name, member] : value.items()) {
                if (properties.contains(name)) {
                    Check(properties.at(name), member, at + "." + name, problems);
                } else if (schema.contains("additionalProperties")) {
                    const Json& more = schema.at("additionalProperties");
                    if (more.is_boolean() && !more.get<bool>())
                        problems.push_back(at + ": has no field " + name);
                    else if (more.is_object())
                        Check(more, member, at + "." + name, problems);
                }
            }
        }
        if (value.is_array() && schema.contains("items"))
            for (std::size_t i = 0; i < value.size(); ++i)
                Check(schema.at("items"), value[i], at + "[" + std::to_string(i) + "]", problems);
    }

    Json root_;
};

}  // namespace command_tests
