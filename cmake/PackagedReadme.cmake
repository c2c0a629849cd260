# The README as the packages install it: picture lines left out (the
# pictures are not installed) and links to files of the source tree turned
# into their text with the file's path, as a reader of the installed copy
# finds them in the source tree.
#   cmake -DIN=README.md -DOUT=build/doc/README.md -P PackagedReadme.cmake
file(READ ${IN} text)
# Lines holding only a picture, with the empty line after them.
string(REGEX REPLACE "(^|\n)!\\[[^]\n]*\\]\\([^)\n]*\\)\n\n?" "\\1" text "${text}")
# [words](docs/file#part) -> words (docs/file in the source tree)
string(REGEX REPLACE "\\[([^]\n]*)\\]\\(([^):#\n][^):#\n]*)(#[^)\n]*)?\\)" "\\1 (\\2 in the source tree)" text "${text}")
file(WRITE ${OUT} "${text}")
