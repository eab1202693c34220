// Whether the shell's icon readers stay inside a file. ExtractIconA and ExtractAssociatedIconA
// map the file and follow the offsets of its headers and resource directories without comparing
// them with its size: a file cut short, or one that places its icons outside itself, crashes the
// process inside the shell (Wine 8). What the shell will read is checked first; a file that
// fails gets no icon.
#pragma once

#include "platform/ByteReader.h"

namespace rondel::platform {

// The file's bytes as the shell will read them: an executable's headers, section table and, of
// its resource tree, the root and the icon and icon-group types; an icon file's directory and
// images. True also when the shell reads no icon from the file (empty, under 4 bytes); false
// for a 16-bit executable (its tables are not checked: it gets no icon) and when a read fails.
bool IconsLieWithin(ByteReader& file);

}  // namespace rondel::platform
