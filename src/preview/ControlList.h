// The test encode of one segment: its sections of Tessera's encoder control list copied on "Prepare", the
// control files written from them on "Encode" (the CCE control list preview.ecl, HC Encoder's preview.ini),
// the encoder run, and the completion report.
#pragma once

#include "platform/Runner.h"
#include "preview/HostProject.h"
#include "preview/MatrixCodes.h"

#include <optional>
#include <string>
#include <string_view>

namespace quire::preview {

inline constexpr std::string_view kPreparingCaption = "Please wait... preparing files to encode.";
inline constexpr std::string_view kFilesReadyCaption =
    "Files Ready! Press the 'Encode' button to start the encoding process using the selected Segment and the "
    "selected Matrix.\nIf you want you can start over and select a different Segment.";
inline constexpr std::string_view kEncodingCaption =
    "Your segment is being encoded!\n\nPlease, wait a few minutes until the process is done.";
inline constexpr std::string_view kEncodedCaption =
    "Your segment has been encoded!\n\nIf you want to view it, double click it on the list bellow.";
inline constexpr std::string_view kEncodingCompleted = "Encoding process Completed!";

// Copies the header and the first (txtNumKeys - 2) keys of the segment's item section (position
// txtSegIndex of Tessera.ecl) into lstECL, after setting txtNumKeys from the first item section; the
// values are read by section name. One progress step per key. False, with nothing copied, when
// Tessera.ecl cannot be read or txtSegIndex is no number.
bool CopySegmentSection(PreviewContext& context, PreviewState& state);
// Copies the header and the first five keys of the section after the segment's into lstECL2, one
// progress step each, and shows the ready captions. False as CopySegmentSection.
bool CopyFileSection(PreviewContext& context, PreviewState& state);

// The output base name: the segment entry without ".avs", the matrix name and the filter name.
std::string outputBaseName(const PreviewState& state);

// The normalisation of preview.ecl after its key updates: (90 - numKeys) passes that remove pairs of
// line breaks, two line breaks before every "[file]" and "[item]", and for CCE Basic the item header
// moved above "title=preview". A run of line breaks between two lines never vanishes entirely unless a
// section header follows it (which gets its line breaks back), so every line keeps a line of its own.
std::string normaliseControlList(std::string_view text, int numKeys, bool basic);

// Writes Preview/preview.ecl from lstECL, lstECL2 and the matrix rows (none with "No Matrix"), applies
// the key updates through the profile-string layer and normalises it. False when it cannot be written.
bool writeControlList(PreviewContext& context, PreviewState& state, const std::optional<MatrixRows>& rows);

// The text of HC Encoder's settings file preview.ini, CR LF after every line.
std::string hcSettingsText(const PreviewContext& context, const PreviewState& state,
                           const std::optional<MatrixRows>& rows);

// "Encode" for every encoder but QuEnc: the control files, the run of txtCmdLine, the report.
void EncodeWithControlList(PreviewContext& context, PreviewState& state, Runner& runner);
// "Encode" for QuEnc: its command line, the run, the report.
void EncodeWithQuEnc(PreviewContext& context, PreviewState& state, Runner& runner);

} // namespace quire::preview
