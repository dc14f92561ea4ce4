// A preview view for tests: records every call with its arguments, in order, and keeps what the
// window would show.
#pragma once

#include "preview/HostProject.h"

#include <string>
#include <vector>

namespace quire::test {

class RecordingPreviewView : public preview::PreviewView {
public:
    std::vector<std::string> calls;
    std::vector<std::string> shownList;
    std::string caption;

    void disableEncoderIndicators() override { calls.emplace_back("disableEncoderIndicators"); }
    void selectEncoder(preview::EncoderKind kind) override {
        calls.push_back("selectEncoder " + std::to_string(static_cast<int>(kind)));
    }
    void enableCceGroupLabel() override { calls.emplace_back("enableCceGroupLabel"); }
    void setActionCaptions(std::string_view text) override {
        caption = text;
        calls.emplace_back("setActionCaptions");
    }
    void playIdleScript() override { calls.emplace_back("playIdleScript"); }
    void disableApplyOptions() override { calls.emplace_back("disableApplyOptions"); }
    void closeWindow() override { calls.emplace_back("closeWindow"); }
    void setFilterBoxes(bool movie, bool extras) override {
        calls.push_back("setFilterBoxes " + std::to_string(movie) + std::to_string(extras));
    }
    void showSegmentList(const std::vector<std::string>& lines) override {
        shownList = lines;
        calls.emplace_back("showSegmentList");
    }
    void showAspect(preview::AspectChoice choice) override {
        calls.push_back(choice == preview::AspectChoice::Wide ? "showAspect 16:9" : "showAspect 4:3");
    }
    void setPlayerFile(const std::filesystem::path& file) override {
        calls.push_back("setPlayerFile " + file.string());
    }
    void play() override { calls.emplace_back("play"); }
    void enablePlayPause() override { calls.emplace_back("enablePlayPause"); }
    void advanceProgress() override { ++progress; }
    void refreshEncodedFiles() override { calls.emplace_back("refreshEncodedFiles"); }
    void disableEncodedFiles() override { calls.emplace_back("disableEncodedFiles"); }
    int progress = 0;
};

} // namespace quire::test
