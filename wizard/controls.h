// The controls of the wizard window as plain state. The window shows this state and reports
// the user's actions to the model's handlers; the model never touches a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Colour&) const = default;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kDisabledFieldGrey{192, 192, 192};
inline constexpr Colour kDisabledLabelGrey{128, 128, 128};

// Position and size in twips, relative to the window's client area.
struct Placement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Placement&) const = default;
};

struct Control {
  std::string name;
  std::string caption;
  std::string tool_tip;
  bool enabled = true;
  bool visible = true;
  Placement placement;
};

struct TextBox : Control {
  std::string text;
  Colour back_colour = kWhite;
  bool read_only = false;
};

struct Label : Control {
  Colour fore_colour = kBlack;
};

struct CheckBox : Control {
  int value = 0;  // 0 unchecked, 1 checked
};

// A list box; `checked` has one entry per line when the list shows check boxes.
struct ListBox : Control {
  std::vector<std::string> lines;
  std::vector<bool> checked;
  bool has_check_boxes = false;
  int list_index = -1;  // the current line, -1 for none

  void Clear() {
    lines.clear();
    checked.clear();
    list_index = -1;
  }
  void AddItem(std::string line) {
    lines.push_back(std::move(line));
    if (has_check_boxes) checked.push_back(false);
  }
  int ListCount() const { return static_cast<int>(lines.size()); }
};

struct Panel : Control {
  std::string tag;
  bool border = true;
};
