#pragma once

namespace qv {

// Glyphs are read straight from font files mapped into memory, so every new character drawn
// maps in more of a file (17 to 30 MB for a CJK face), counted in the program's resident size
// though the pages belong to the system's file cache. Whenever the event loop falls idle, at
// most once a second, those pages are handed back; the next glyph reads them from the file
// cache again. So the resident size stays flat however many different names are printed.
void releaseFontPagesWhenIdle();

// Hands back now the pages of the font files mapped read-only into this process.
void releaseFontPages();

} // namespace qv
