// quire-avs: renders an AviSynth script of the supported subset.
//   quire-avs SCRIPT --info        one line: width height rate frames pixel-format
//   quire-avs SCRIPT --y4m OUT|-   YUV4MPEG2 frames (for the encoders)
//   quire-avs SCRIPT --bgra OUT|-  raw BGRA frames of --info's size (for the player)
// Exit 0; 1 bad command line; 2 script error ("file:line: message"); 3 missing media; 4 FFmpeg failed.
#include "Evaluator.h"
#include "Renderer.h"

#include <fstream>
#include <iostream>
#include <sstream>

using namespace quire::avs;

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[2] : "";
    if (!(argc == 3 && mode == "--info") && !(argc == 4 && (mode == "--y4m" || mode == "--bgra"))) {
        std::cerr << "usage: quire-avs SCRIPT --info | --y4m OUT|- | --bgra OUT|-\n";
        return 1;
    }
    const std::filesystem::path script = argv[1];
    std::ifstream in(script, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << script.string() << ": cannot read the script\n";
        return 3;
    }
    try {
        const Evaluation e = evaluate(text.str(), std::filesystem::absolute(script));
        for (const std::string& w : e.warnings)
            std::cerr << script.string() << ": warning: " << w << "\n";
        if (mode == "--info") {
            std::cout << infoLine(e.clip) << std::endl;
            return 0;
        }
        return render(e.clip, mode == "--y4m" ? Output::Y4m : Output::Bgra, argv[3]);
    } catch (const ScriptError& error) {
        std::cerr << script.string() << ":" << error.line() << ": " << error.what() << "\n";
        return 2;
    } catch (const MediaError& error) {
        std::cerr << script.string() << ": " << error.what() << "\n";
        return 3;
    }
}
