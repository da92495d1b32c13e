#include "core/import/yaml_tree.h"

#include <map>

#if defined(KX_HAVE_YAML)
#include <yaml.h>
#endif

namespace kx {

const YamlNode* YamlTree::Find(const YamlNode& map, std::string_view key) const {
    if (map.kind != YamlNode::Kind::Mapping) return nullptr;
    for (size_t i = 0; i + 1 < map.items.size(); i += 2) {
        const YamlNode& k = nodes[map.items[i]];
        if (k.kind == YamlNode::Kind::Scalar && k.value == key) return &nodes[map.items[i + 1]];
    }
    return nullptr;
}

#if defined(KX_HAVE_YAML)

namespace {

struct Parser {
    yaml_parser_t p;
    Parser() { yaml_parser_initialize(&p); }
    ~Parser() { yaml_parser_delete(&p); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
};

struct Event {
    yaml_event_t e;
    bool held = false;
    ~Event() {
        if (held) yaml_event_delete(&e);
    }
};

}  // namespace

bool ParseYaml(std::string_view bytes, YamlTree& tree, std::string& error) {
    tree.nodes.clear();
    Parser parser;
    yaml_parser_set_input_string(&parser.p, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    std::vector<uint32_t> open;  // the sequences and mappings being filled
    std::map<std::string, uint32_t> anchors;
    bool rootDone = false;
    for (;;) {
        Event ev;
        if (!yaml_parser_parse(&parser.p, &ev.e)) {
            error = parser.p.problem ? parser.p.problem : "damaged YAML";
            error += " (line " + std::to_string(parser.p.problem_mark.line + 1) + ")";
            tree.nodes.clear();
            return false;
        }
        ev.held = true;
        const yaml_event_type_t type = ev.e.type;
        if (type == YAML_STREAM_END_EVENT || (type == YAML_DOCUMENT_END_EVENT && rootDone)) break;
        uint32_t node = UINT32_MAX;
        const char* anchor = nullptr;
        if (type == YAML_ALIAS_EVENT) {
            const auto it = anchors.find(reinterpret_cast<const char*>(ev.e.data.alias.anchor));
            if (it == anchors.end()) {
                error = "an alias names no anchor (line " + std::to_string(ev.e.start_mark.line + 1) + ")";
                tree.nodes.clear();
                return false;
            }
            node = it->second;
        } else if (type == YAML_SCALAR_EVENT || type == YAML_SEQUENCE_START_EVENT || type == YAML_MAPPING_START_EVENT) {
            node = uint32_t(tree.nodes.size());
            YamlNode n;
            if (type == YAML_SCALAR_EVENT) {
                n.value.assign(reinterpret_cast<const char*>(ev.e.data.scalar.value), ev.e.data.scalar.length);
                n.plain = ev.e.data.scalar.style == YAML_PLAIN_SCALAR_STYLE;
                anchor = reinterpret_cast<const char*>(ev.e.data.scalar.anchor);
            } else if (type == YAML_SEQUENCE_START_EVENT) {
                n.kind = YamlNode::Kind::Sequence;
                anchor = reinterpret_cast<const char*>(ev.e.data.sequence_start.anchor);
            } else {
                n.kind = YamlNode::Kind::Mapping;
                anchor = reinterpret_cast<const char*>(ev.e.data.mapping_start.anchor);
            }
            tree.nodes.push_back(std::move(n));
            if (anchor) anchors[anchor] = node;
        } else if (type == YAML_SEQUENCE_END_EVENT || type == YAML_MAPPING_END_EVENT) {
            if (!open.empty()) open.pop_back();
            if (open.empty()) rootDone = true;
            continue;
        } else {
            continue;  // stream and document starts
        }
        if (!open.empty()) tree.nodes[open.back()].items.push_back(node);
        else rootDone = true;
        if (type == YAML_SEQUENCE_START_EVENT || type == YAML_MAPPING_START_EVENT) {
            open.push_back(node);
            rootDone = false;
        }
    }
    return true;
}

#else

bool ParseYaml(std::string_view, YamlTree& tree, std::string& error) {
    tree.nodes.clear();
    error = "this build reads no YAML";
    return false;
}

#endif

}  // namespace kx
