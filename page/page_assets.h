// The page's template, style sheet and script (page/template.html, page.css,
// the parts in page/js joined), embedded at build time by page/embed.cmake, with the SHA-256
// source expressions of the style sheet and script for the page's
// Content-Security-Policy.
#pragma once

#include <string_view>

namespace hvx::page_assets {

std::string_view Template();
std::string_view Style();
std::string_view Script();
std::string_view StyleHash();   // 'sha256-...'
std::string_view ScriptHash();  // 'sha256-...'

}  // namespace hvx::page_assets
