// quire-avs: renders an AviSynth script of the supported subset.
//   quire-avs SCRIPT --info        one line: width height rate frames pixel-format
//   quire-avs SCRIPT --y4m OUT|-   YUV4MPEG2 frames (for the encoders)
//   quire-avs SCRIPT --graph       "info: " and the --info line; then "input: " and FFmpeg's input
//                                  (empty for a generated clip) and "graph: " and the filter chain from
//                                  it to the --y4m frames, or exit 5 when they need quire-avs's own stages
//   quire-avs SCRIPT --bgra OUT|-  raw BGRA frames of --info's size (for the player)
// Exit 0; 1 bad command line; 2 script error ("file:line: message"); 3 missing media; 4 FFmpeg failed;
// 5 no single graph.
#include "Evaluator.h"
#include "Renderer.h"

#include <fstream>
#include <iostream>
#include <sstream>

using namespace quire::avs;

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[2] : "";
    if (!(argc == 3 && (mode == "--info" || mode == "--graph")) &&
        !(argc == 4 && (mode == "--y4m" || mode == "--bgra"))) {
        std::cerr << "usage: quire-avs SCRIPT --info | --graph | --y4m OUT|- | --bgra OUT|-\n";
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
        if (mode == "--graph") {
            std::cout << "info: " << infoLine(e.clip) << std::endl;
            std::string input, graph;
            if (!singleGraph(e.clip, input, graph)) {
                std::cerr << script.string() << ": its frames need quire-avs's own stages\n";
                return 5;
            }
            std::cout << "input: " << input << "\ngraph: " << graph << std::endl;
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
