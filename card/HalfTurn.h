#pragma once

namespace qv {
class PictureBox;
}

namespace qv::card {

// Paints picture2 as picture1 turned by 3.14 radians, each about its own centre, by inverse
// mapping: every pixel of picture2 whose source point lies strictly inside picture1 takes that
// point's colour, the others keep theirs. Both surfaces count in pixels afterwards. A surface
// of 32767 pixels or more raises the overflow error once the pixels before it are painted.
void rotateHalfTurn(PictureBox& picture1, PictureBox& picture2);

} // namespace qv::card
