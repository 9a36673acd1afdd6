#include "pe_version.h"

#include <cstdio>
#include <vector>

#include "byte_reader.h"
#include "pe_resources.h"
#include "narrow_text.h"
#include "utf16_text.h"

namespace {

constexpr std::uint16_t kVersionResource = 16;
constexpr std::size_t kMaxChildren = 4096;

struct Node {
  std::uint64_t start = 0;
  std::uint64_t end = 0;  // start + wLength, within the parent
  std::u16string key;
  std::uint64_t value = 0;
  std::uint16_t value_length = 0;  // as stored: characters for text, bytes for binary
  std::uint16_t type = 0;
  std::uint64_t children = 0;
};

std::uint64_t Align4(std::uint64_t offset) { return (offset + 3) & ~std::uint64_t{3}; }

bool ReadNode(const ByteReader& bytes, std::uint64_t start, std::uint64_t limit, Node& node) {
  std::uint16_t length = 0;
  if (!bytes.U16(start, length) || !bytes.U16(start + 2, node.value_length) || !bytes.U16(start + 4, node.type)) {
    return false;
  }
  if (length < 6 || start + length > limit) return false;
  node.start = start;
  node.end = start + length;
  node.key.clear();
  std::uint64_t at = start + 6;
  for (;; at += 2) {
    std::uint16_t unit = 0;
    if (at + 2 > node.end || !bytes.U16(at, unit)) return false;
    if (unit == 0) break;
    node.key += static_cast<char16_t>(unit);
  }
  node.value = Align4(at + 2);
  const std::uint64_t value_bytes = node.type == 1 ? 2ull * node.value_length : node.value_length;
  node.children = std::min(Align4(node.value + value_bytes), node.end);
  if (node.value > node.end) node.value = node.end;
  return true;
}

// The children of `parent`, in order.
std::vector<Node> Children(const ByteReader& bytes, const Node& parent) {
  std::vector<Node> children;
  std::uint64_t at = parent.children;
  while (at + 6 <= parent.end && children.size() < kMaxChildren) {
    Node child;
    if (!ReadNode(bytes, at, parent.end, child)) break;
    children.push_back(child);
    at = Align4(child.end);
  }
  return children;
}

const Node* ChildNamed(const std::vector<Node>& children, std::u16string_view key) {
  for (const Node& child : children) {
    if (EqualIgnoringAsciiCase(child.key, key)) return &child;
  }
  return nullptr;
}

std::u16string HexKey(std::uint16_t language, std::uint16_t code_page) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", language, code_page);
  return std::u16string(text, text + 8);
}

// The value of a string node up to its first NUL, within the node.
std::string StringValue(const ByteReader& bytes, const Node& node) {
  std::u16string text;
  for (std::uint64_t at = node.value; at + 2 <= node.end; at += 2) {
    std::uint16_t unit = 0;
    bytes.U16(at, unit);
    if (unit == 0) break;
    text += static_cast<char16_t>(unit);
  }
  return Utf16ToNarrow(text);
}

}  // namespace

std::string FileVersionOfResource(std::span<const std::uint8_t> resource) {
  const ByteReader bytes(resource);
  Node root;
  if (!ReadNode(bytes, 0, bytes.size(), root) || !EqualIgnoringAsciiCase(root.key, u"VS_VERSION_INFO")) return {};
  const std::vector<Node> sections = Children(bytes, root);

  std::vector<std::u16string> tables;
  if (const Node* var_info = ChildNamed(sections, u"VarFileInfo")) {
    const std::vector<Node> vars = Children(bytes, *var_info);
    if (const Node* translation = ChildNamed(vars, u"Translation")) {
      std::uint16_t language = 0;
      std::uint16_t code_page = 0;
      if (translation->value + 4 <= translation->end && bytes.U16(translation->value, language) &&
          bytes.U16(translation->value + 2, code_page)) {
        tables.push_back(HexKey(language, code_page));
      }
    }
  }
  tables.push_back(u"040904E4");

  const Node* string_info = ChildNamed(sections, u"StringFileInfo");
  if (!string_info) return {};
  const std::vector<Node> string_tables = Children(bytes, *string_info);
  for (const std::u16string& wanted : tables) {
    const Node* table = ChildNamed(string_tables, wanted);
    if (!table) continue;
    const std::vector<Node> strings = Children(bytes, *table);
    if (const Node* value = ChildNamed(strings, u"FileVersion")) return StringValue(bytes, *value);
  }
  return {};
}

std::string FileVersionOfImage(std::span<const std::uint8_t> image) {
  return FileVersionOfResource(FindPeResource(image, ResourceType{kVersionResource, {}}));
}

std::string GetFileVersion(const std::string& path) {
  std::vector<std::uint8_t> image;
  if (!ReadWholeBinaryFile(path, image)) return {};
  return FileVersionOfImage(image);
}
