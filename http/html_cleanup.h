#pragma once

// In-place clean-up of NUL-terminated GBK page text before and after the rule patterns run over it.
// Every function returns 0, allocates nothing and works byte by byte (bytes from 0x80 up are never
// letters, spaces or markers). Each makes one forward pass (or one per marker), so its time is
// linear in the text length also on hostile text.

// Upper-cases the ASCII letters from each "<" through the next ">" (or the end of the text).
int UpperTagText(char* text);

// Blanks each "<!--" together with everything through the first "-->" that begins at or after it.
int BlankComments(char* text);

// Reduces every tag to "<" + name (+ "/" when the tag ends with "/>") + ">"; only a space ends a
// name. Line breaks outside tags become spaces. Shortens the text.
int StripTagAttributes(char* text);

// Blanks "<SCRIPT/>", "<STYLE/>" and the "<SCRIPT>".."</SCRIPT>" and "<STYLE>".."</STYLE>" spans,
// in exactly this upper-case form without attributes.
int BlankScripts(char* text);

// Blanks every "<" .. ">" that holds no other "<".
int BlankTags(char* text);

// Every line feed and carriage return becomes a space.
int BlankLineBreaks(char* text);

// Blanks "&nbsp;" and "&mdash;" (after the first, also without the semicolon), turns the full-width
// space into two spaces and the full-width solidus into "/ ", then squeezes every run of space, tab
// and line feed to one byte: a line feed when the run holds one, else a space. Shortens the text.
// A GB18030 four-byte character is never split: the byte an entity without semicolon takes is
// left alone when it begins one.
int SqueezeText(char* text);
