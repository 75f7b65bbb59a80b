// Command-line options declared once, as a table: the parser, the usage text
// and the errors all come from it, so no option can be taken and not listed,
// or listed and not taken. Options are read as xscreensaver's hacks read
// theirs: one dash or two, a value as the next word or after "=", and the
// first word that is not an option is an error. No abbreviations: a new
// option could otherwise change what an old command line means.
#pragma once

#include <cstddef>
#include <string>

namespace cli {

// One option of a program whose options are an `Options` struct. Declare
// tables constexpr: a program may parse before static constructors run.
template <typename Options>
struct option {
  const char* names[2];    // its name and an optional second one, without dashes
  const char* value_name;  // its value as the usage shows it; null: it takes none
  const char* help;        // its usage line; null: taken, and only named in the summary
  const char* needs;       // what its value must be, for the error; may be null for a flag
  bool (*apply)(Options* options, const char* value);  // false: the value does not fit `needs`
};

// How a program writes its options: its name, and "-" or "--" before each.
struct style {
  const char* program;
  const char* dash;
};

// One word of the command line taken apart.
struct option_word {
  std::string name;        // without its dashes and value
  std::string value;       // after "="
  bool has_value = false;  // "=" was written
};

// False when the word is no option at all: no dash, or a lone "-".
bool split_option_word(const std::string& word, option_word* out);

// The usage, built one option at a time: a synopsis wrapped under the
// program's name, a line for each listed option, then one line naming the
// options taken without a line of their own after `summary_heading`.
class usage_builder {
 public:
  explicit usage_builder(style s);
  void add(const char* const names[2], const char* value_name, const char* help);
  std::string text(const char* summary_heading) const;

 private:
  style style_;
  std::string synopsis_;
  std::string lines_;
  std::string unlisted_;
};

template <typename Options, std::size_t N>
const option<Options>* find_option(const option<Options> (&table)[N], const std::string& name) {
  for (const auto& o : table)
    for (const char* n : o.names)
      if (n && name == n) return &o;
  return nullptr;
}

// Parses argv[1..] into `out`. On failure `error` says why, naming the
// option as the program writes it.
template <typename Options, std::size_t N>
bool parse_options(const option<Options> (&table)[N], style s, int argc, const char* const* argv,
                   Options* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    option_word word;
    if (!split_option_word(argv[i], &word)) {
      *error = std::string("unexpected argument ") + argv[i];
      return false;
    }
    const option<Options>* o = find_option(table, word.name);
    if (!o) {
      // The value may be anything the user typed: name the option only.
      const std::string typed = argv[i];
      *error = "unknown option " + typed.substr(0, typed.find('='));
      return false;
    }
    const char* value = "";
    if (!o->value_name) {
      if (word.has_value) {
        *error = std::string("option ") + argv[i] + " takes no value";
        return false;
      }
    } else if (word.has_value) {
      value = word.value.c_str();
    } else {
      value = i + 1 < argc ? argv[++i] : nullptr;
    }
    if (!value || !o->apply(out, value)) {
      // A flag that refuses has no value to describe.
      *error = s.dash + std::string(o->names[0]) +
               (o->needs ? std::string(" needs ") + o->needs : std::string(" was refused"));
      return false;
    }
  }
  return true;
}

template <typename Options, std::size_t N>
std::string make_usage(const option<Options> (&table)[N], style s, const char* summary_heading) {
  usage_builder usage(s);
  for (const auto& o : table) usage.add(o.names, o.value_name, o.help);
  return usage.text(summary_heading);
}

}  // namespace cli
