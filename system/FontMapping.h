#pragma once

namespace qv {

// Maps the classic Chinese face names to the CJK faces a Linux desktop has, so that a card
// asked in 隶书 comes out in a Chinese face rather than a Latin fallback. Substitutes are only
// used where the named face itself is missing. Each list ends with the faces of the rare
// characters, where the card text looks for a character its face lacks (see TextLine.h).
void installFontMapping();

} // namespace qv
