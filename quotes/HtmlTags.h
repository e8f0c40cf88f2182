// Removes HTML tags from the lines of a reply, remembering across lines whether a tag is
// still open.
#pragma once

#include <string>

// Removes every character from a "<" to the next ">" (both included) in place; a tag left
// open at the end of the line goes on removing from the start of the next line.
void StripHtmlTags(std::string& strLine);

// Forgets an open tag. Called at the start of every response, so that a reply that ends
// inside a tag cannot eat the start of the next security's reply.
void ResetHtmlTagState();

bool IsInsideHtmlTag();
