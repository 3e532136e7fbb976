// The information page as plain text, for the read-only box that stands in
// for the browser control: made from the shipped page itself, so that its
// words are written once per language.
#pragma once

#include <string>
#include <string_view>

namespace wizard {

// The text of an HTML page of headings, paragraphs and ordered lists: each
// heading, paragraph and list item on a line of its own (items numbered
// "1. ", "2. " ...), a blank line before every heading but the first, lines
// ending in CR LF. Markup, the head and runs of white space between words go;
// the character references &amp; &lt; &gt; &quot; &#39; and &nbsp; are read.
std::wstring InfoPageText(std::wstring_view html);

}  // namespace wizard
