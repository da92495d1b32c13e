// A YAML document as a flat tree of nodes, built from libyaml's events.
// Nodes live in one vector and refer to each other by index, so neither
// building nor freeing a deeply nested document recurses; an alias refers
// to its anchor's node instead of copying it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct YamlNode {
    enum class Kind : uint8_t { Scalar, Sequence, Mapping };
    Kind kind = Kind::Scalar;
    bool plain = false;   // an unquoted scalar (null, true and numbers are plain)
    std::string value;    // a scalar's text
    std::vector<uint32_t> items;  // a sequence's items; a mapping's keys and values in turn
};

struct YamlTree {
    std::vector<YamlNode> nodes;  // nodes[0] is the root when the document has one
    bool Empty() const { return nodes.empty(); }
    const YamlNode& Root() const { return nodes[0]; }
    const YamlNode& At(uint32_t i) const { return nodes[i]; }
    // The value of a mapping's key, or null.
    const YamlNode* Find(const YamlNode& map, std::string_view key) const;
};

// Parses the first document of `bytes`. False with a one-line reason (and
// the line where libyaml stopped) when the text is not YAML.
bool ParseYaml(std::string_view bytes, YamlTree& tree, std::string& error);

}  // namespace kx
