// The value boxes' checks: what counts as a number, the change check, focus enter and leave, the
// CCE mark, Multiple Edit and its refusals, and the save's box refusal.
#include "matrix/BoxChecks.h"

#include "support/CellText.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <vector>

using namespace quire;
using namespace quire::grid;
using quire::test::describe;
using quire::test::filled;
using quire::test::ScriptedPrompter;

namespace {

const std::string kWarning1 = "The values must be NUMBERS between 8 and 255!";
const std::string kWarning2 = "This matrix may not be compatible with CCE!";

// A window stand-in: holds the box texts and colours, records every call, and runs the change
// check when the program sets a box to a different text, as a text box raises its change event.
class FakeGrid : public BoxView {
public:
    BoxChecks* checks = nullptr;
    MatrixCells texts;
    std::map<std::size_t, BoxBackground> backgrounds;
    std::map<std::size_t, BoxTextColour> textColours;
    std::vector<std::string> calls;

    void setBoxText(std::size_t box, const std::string& text) override {
        calls.push_back("text " + std::to_string(box) + " " + text);
        if (texts[box] == text)
            return;
        texts[box] = text;
        checks->changed(box, text);
    }
    void setBoxBackground(std::size_t box, BoxBackground colour) override {
        static const char* const names[] = {"focus", "white", "highlight"};
        calls.push_back(std::string(names[static_cast<int>(colour)]) + " " + std::to_string(box));
        backgrounds[box] = colour;
    }
    void setBoxTextColour(std::size_t box, BoxTextColour colour) override {
        calls.push_back((colour == BoxTextColour::Green ? "green " : "windowtext ") + std::to_string(box));
        textColours[box] = colour;
    }
    void focusBox(std::size_t box) override { calls.push_back("focus-into " + std::to_string(box)); }
    void selectBoxText(std::size_t box) override { calls.push_back("select " + std::to_string(box)); }
    void enableSave() override { calls.push_back("save"); }
};

class BoxChecksTest : public ::testing::Test {
protected:
    BoxChecksTest() { grid.checks = &checks; }

    ScriptedPrompter prompter;
    FakeGrid grid;
    BoxChecks checks{prompter, {kWarning1, kWarning2}, grid};
};

} // namespace

TEST(BoxNumber, SignAndDigitsOnlyAndBoxNamesCountFromOneInEachTable) {
    const std::vector<std::pair<std::string, std::optional<long long>>> cases = {
        {"008", 8}, {"-2", -2}, {"+9", 9}, {"", {}}, {"-", {}}, {" 8", {}}, {"8 ", {}}, {"12a", {}}, {"--1", {}}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(boxNumber(text), value) << '"' << text << '"';
    EXPECT_EQ(boxNumber("99999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(boxNumber("-99999999999999999999"), std::numeric_limits<long long>::min());
    std::string names;
    for (const std::size_t index : {2, 63, 64, 127})
        names += boxName(index) + "; ";
    EXPECT_EQ(names, "the Intra box in row 1, column 3; the Intra box in row 8, column 8; the Non Intra box in row 1, "
                     "column 1; the Non Intra box in row 8, column 8; ");
}

TEST_F(BoxChecksTest, ChangeCheckTable) {
    // The calls on the box, after the warning shown first ("1" or "2") if any.
    const std::string ok = "windowtext 5,save,white 5,", cce = "2save,white 5,green 5,save,white 5,",
                      bad = "1focus-into 5,highlight 5,select 5,";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""}, {"8", ok}, {"127", ok}, {"-5", ok}, {"128", cce}, {"255", cce}, {"256", bad}, {"abc", bad}};
    for (const auto& [text, expected] : cases) {
        grid.calls.clear();
        if (!expected.empty() && expected[0] <= '2')
            prompter.expect(expected[0] == '1' ? kWarning1 : kWarning2);
        const std::size_t before = prompter.shown().size();
        checks.changed(5, text);
        std::string got;
        for (std::size_t i = before; i < prompter.shown().size(); ++i) {
            const auto& box = prompter.shown()[i];
            got += box.text == kWarning1 ? "1" : box.text == kWarning2 ? "2" : box.text;
            EXPECT_EQ(describe(box).substr(0, 21), "Quire|ok|exclamation|");
        }
        for (const auto& call : grid.calls)
            got += call + ",";
        EXPECT_EQ(got, expected) << '"' << text << '"';
    }
}

TEST_F(BoxChecksTest, LeaveCheckTable) {
    // Text, rejected, CCEvalue afterwards starting from "0": only values above 127 are kept; 300 is rejected
    // while typed, yet taken on leaving.
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"8", false, "0"},  {"127", false, "0"},   {"7", true, "0"},
        {"abc", true, "0"}, {"128", false, "128"}, {"300", false, "300"}};
    for (const auto& [text, rejected, cce] : cases) {
        checks.setCceValue("0");
        grid.calls.clear();
        if (rejected)
            prompter.expect(kWarning1);
        checks.left(1, text);
        EXPECT_EQ(grid.backgrounds[1], rejected ? BoxBackground::Highlight : BoxBackground::White) << text;
        EXPECT_EQ(checks.cceValue(), cce) << text;
        EXPECT_TRUE(prompter.done()) << text;
    }
}

TEST_F(BoxChecksTest, EnteringPaintsPaleYellowLeavingAnEmptyBoxFillsItWithEight) {
    checks.entered(12);
    EXPECT_EQ(grid.calls, (std::vector<std::string>{"focus 12", "select 12"}));
    grid.calls.clear();
    checks.left(4, "");
    EXPECT_EQ(grid.calls, (std::vector<std::string>{"text 4 8", "windowtext 4", "save", "white 4", "save", "white 4"}));
}

TEST_F(BoxChecksTest, MultipleEditSubtractsWithoutAMessageAndAddingWarnsBoxByBox) {
    grid.texts = filled("16");
    grid.texts[0] = "8";
    grid.texts[127] = "100";
    EXPECT_EQ(checks.multipleEdit("10", true, grid.texts), BoxChecks::EditResult::Applied);
    EXPECT_EQ(grid.texts[0] + " " + grid.texts[1] + " " + grid.texts[127], "-2 6 90");
    EXPECT_TRUE(prompter.shown().empty());

    grid.texts = filled("16");
    grid.texts[10] = "120"; // 220: CCE warning
    grid.texts[20] = "250"; // 350: rejected
    grid.texts[30] = "200"; // 300: rejected
    prompter.expect(kWarning2).expect(kWarning1).expect(kWarning1);
    EXPECT_EQ(checks.multipleEdit(" +100 ", false, grid.texts), BoxChecks::EditResult::Applied);
    EXPECT_EQ(grid.texts[0] + " " + grid.texts[10] + " " + grid.texts[20] + " " + grid.texts[30], "116 220 350 300");
}

TEST_F(BoxChecksTest, MultipleEditRefusesAnAmountOutsideTheSixteenBitRange) {
    const MatrixCells boxes = filled("16");
    for (const std::string amount : {"", "32768", "-32769", "1 0"}) {
        grid.texts = boxes;
        grid.calls.clear();
        prompter.expect(std::string(kBadAmountMessage));
        EXPECT_EQ(checks.multipleEdit(amount, true, boxes), BoxChecks::EditResult::BadAmount) << amount;
        EXPECT_TRUE(grid.calls.empty()) << amount;
    }
    // The ends of the range are taken; every result is then above 255 and rejected box by box.
    const std::vector<std::tuple<std::string, bool, std::string>> ends = {{"32767", false, "32783"},
                                                                          {"-32768", true, "32784"}};
    for (const auto& [amount, subtract, result] : ends) {
        grid.texts = boxes;
        for (std::size_t i = 0; i < kMatrixCells; ++i)
            prompter.expect(kWarning1);
        EXPECT_EQ(checks.multipleEdit(amount, subtract, boxes), BoxChecks::EditResult::Applied);
        EXPECT_EQ(grid.texts[0] + " " + grid.texts[127], result + " " + result);
    }
}

TEST_F(BoxChecksTest, MultipleEditRefusesABoxWithoutAWholeNumberAndFocusesIt) {
    const std::vector<std::tuple<std::size_t, std::string, std::string>> cases = {
        {66, "", "Multiple Edit needs a whole number in every box: the Non Intra box in row 1, column 3 is empty."},
        {5, "x", "Multiple Edit needs a whole number in every box: the Intra box in row 1, column 6 holds \"x\"."},
        {9, "1234567890",
         "Multiple Edit needs a whole number in every box: the Intra box in row 2, column 2 holds \"1234567890\", "
         "which is too large."}};
    for (const auto& [index, text, message] : cases) {
        MatrixCells boxes = filled("16");
        boxes[index] = text;
        grid.texts = boxes;
        grid.calls.clear();
        prompter.expect(message);
        EXPECT_EQ(checks.multipleEdit("1", false, boxes), BoxChecks::EditResult::BadBox);
        EXPECT_EQ(grid.calls, (std::vector<std::string>{"focus-into " + std::to_string(index)}));
        EXPECT_EQ(grid.texts, boxes);
    }
}
