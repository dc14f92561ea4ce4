// Editor.ini as the Setup window writes it: the values it holds, and its bytes.
#pragma once

#include <array>
#include <string>

namespace quire::test {

struct EditorIniValues {
    std::string matrixFolder;
    std::string tessera = "/opt/tessera";
    std::string player = "/usr/bin/mplayer";
    std::array<std::string, 4> colours{"16737808", "16777215", "14306832", "4210752"};

    std::string bytes() const {
        return "[Config]\r\nInterfaceVersion=7\r\nLanguage=English.lng\r\nMatrixFolder=" + matrixFolder +
               "\r\nTesseraFolder=" + tessera + "\r\nPlayer=" + player + "\r\n[Colors]\r\nBackColor=" + colours[0] +
               "\r\nTextColor=" + colours[1] + "\r\nStripesColor=" + colours[2] + "\r\nButtonsColor=" + colours[3] +
               "\r\n";
    }
};

} // namespace quire::test
