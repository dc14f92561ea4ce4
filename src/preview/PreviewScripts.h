// The two scripts the embedded player is given: editor.avs, the idle picture with the program's caption,
// and preview.avs, the selected segment as Tessera prepared it or a notice picture for a segment that
// Tessera does not encode normally.
#pragma once

#include "preview/HostProject.h"

#include <string>
#include <string_view>

namespace quire::preview {

inline constexpr std::string_view kChooseMatrixCaption =
    "Select the Matrix you want to use from the Custom Matrices List or enable 'No Matrix' option to encode the "
    "selected segment using the Encoder's Default Matrix.";

// The notices' caption colour: the red, green and blue parts of the background colour (decimal 0x00BBGGRR
// text) as decimal text, joined in that order, a part of 0 taken as 16 ("16102255" for the default).
std::string noticeColour(std::string_view backColor);

// The one-line Subtitle calls of the idle picture and of the three notices.
std::string idleCaption();
std::string interleavedCaption();
std::string blankedCaption(std::string_view colour);
std::string slideShowCaption(std::string_view colour);

// Sets txtAvsOr to the idle caption, writes Preview/editor.avs and plays it, logging each step.
// False when the script cannot be written (the player is then not given it).
bool WriteEditorScript(PreviewContext& context, PreviewState& state);

// Sets txtAvsOr to the notice of an interleaved, blanked or slide-show segment, or to the selected
// segment's script (with ConvertToYUY2 for QuEnc, ProCoder and HC Encoder), writes Preview/preview.avs,
// plays it, enables play and pause and asks for a matrix. An unreadable segment script counts as empty.
// False when the script cannot be written.
bool WritePreviewScript(PreviewContext& context, PreviewState& state);

} // namespace quire::preview
