#include "option_table.h"

namespace cli {

namespace {
const size_t usage_width = 78;
const size_t help_column = 20;
}  // namespace

bool split_option_word(const std::string& word, option_word* out) {
  if (word.size() < 2 || word[0] != '-') return false;
  out->name = word.substr(word[1] == '-' ? 2 : 1);
  const size_t eq = out->name.find('=');
  out->has_value = eq != std::string::npos;
  if (out->has_value) {
    out->value = out->name.substr(eq + 1);
    out->name.resize(eq);
  }
  return true;
}

usage_builder::usage_builder(style s) : style_(s), synopsis_(std::string("usage: ") + s.program) {}

void usage_builder::add(const char* const names[2], const char* value_name, const char* help) {
  std::string shown = style_.dash + std::string(names[0]);
  if (value_name) shown += std::string(" ") + value_name;
  if (!help) {
    unlisted_ += (unlisted_.empty() ? "" : ", ") + shown;
    return;
  }
  const size_t indent = 7 + std::string(style_.program).size();
  if (synopsis_.size() - synopsis_.rfind('\n') + shown.size() > usage_width)
    synopsis_ += "\n" + std::string(indent, ' ');
  synopsis_ += " [" + shown;
  std::string line = "  " + shown;
  if (names[1]) {
    // A one-letter name is shown with one dash, as such names are written.
    const std::string second = (names[1][1] ? style_.dash : "-") + std::string(names[1]);
    synopsis_ += " | " + second;
    line += ", " + second;
  }
  synopsis_ += "]";
  line.resize(line.size() < help_column ? help_column : line.size() + 1, ' ');
  lines_ += line + help + "\n";
}

std::string usage_builder::text(const char* summary_heading) const {
  std::string all = synopsis_ + "\n" + lines_;
  if (!unlisted_.empty()) all += std::string(summary_heading) + unlisted_ + ".\n";
  return all;
}

}  // namespace cli
