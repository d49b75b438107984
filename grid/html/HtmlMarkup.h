#pragma once

// Text-level rules of the HTML cell markup: entity replacement, the "<#" marker, line breaks, tag
// attributes, colours and the plain-text derivation. Window-free; every function is linear in its input.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "grid/core/GridColor.h"

namespace orlex::grid {

// Replaces &amp; &quot; &sect; &permil; &reg; &copy; &para; &trade; &euro; (names in any case) until
// none is left, so "&amp;amp;" becomes "&". The characters come out in UTF-8. &nbsp; &lt; and &gt;
// stay for the layout.
std::string ReplaceHtmlEntities(std::string_view text);

// Decodes &nbsp; (a space), &lt; and &gt; in a text piece.
std::string DecodeLayoutEntities(std::string_view piece);

// Everything done to a markup text before layout: entities, every "<#" losing its "<" and the first
// ">" after it, line feeds removed and each carriage return turned into "<BR>".
std::string PrepareHtmlMarkup(std::string_view text);

// Plain text of markup: <BR> and <HR> (any case) become CR LF, every tag is removed, and a "<" without
// a later ">" keeps the rest of the text as it is. Entities are not decoded.
std::string StripHTMLText(std::string_view markup);

// Colour of a tag attribute value (read in upper case): "#RRGGBB" as an RGB colour, otherwise a
// colour name such as "clRed" looked up ignoring case; an unknown name is black. With body set, the
// value counts as hexadecimal when it contains "#" anywhere and as a name only when it contains "CL"
// (otherwise nothing).
std::optional<TColor> ParseHTMLColor(std::string_view value, bool body = false);

// The named colours ("clred" ... "clinfobk"); nothing for an unknown name.
std::optional<TColor> HtmlColorByName(std::string_view lowerName);

// Leading decimal number of a text (0 when there is none), saturated to [0, limit].
int LeadingNumber(std::string_view text, int limit);

// The text as a whole a decimal number within [0, limit]; nothing when it is not a clean number.
std::optional<int> CleanNumber(std::string_view text, int limit);

// One tag, from its "<" to its ">" (or the end of the markup), with its upper-case copy.
class THtmlTag {
 public:
  explicit THtmlTag(std::string_view tag);

  std::string_view Text() const { return text_; }
  std::string_view Upper() const { return upper_; }
  bool StartsWith(std::string_view prefix) const;
  bool IsClosing() const { return closing_; }
  // The tag's letter in upper case: the character after "</" for a closing tag, else after "<".
  char Letter() const { return letter_; }
  // The upper-case name: letters after "<" or "</" up to a blank, ">" or "/".
  std::string_view Name() const { return name_; }

  // Whether the attribute occurs as a word of its own (found ignoring case).
  bool Has(std::string_view attribute) const;
  // Value between the first two double quotes after the attribute's name; empty when unquoted or
  // absent. keepCase returns the value as written, otherwise in upper case.
  std::string Attribute(std::string_view attribute, bool keepCase = false) const;
  // The text after the attribute's "=" up to the tag's end, in upper case (for SIZE's optional quotes).
  std::string_view AfterEquals(std::string_view attribute) const;
  // Value in quotes after the first occurrence of a letter (any case) past the tag's name: <IN x="40">.
  std::string LetterValue(char letter) const;

 private:
  std::size_t Find(std::string_view attribute) const;

  std::string text_;
  std::string upper_;
  std::string_view name_;
  bool closing_ = false;
  char letter_ = 0;
};

}  // namespace orlex::grid
