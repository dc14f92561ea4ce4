// The save sequences of the new-matrix, edit and import windows, and the edit window's loading.
#include "MatrixSave.h"

#include "app/IniManager.h"
#include "matrix/BoxChecks.h"
#include "matrix/DescriptionIndex.h"
#include "matrix/Library.h"
#include "matrix/MatrixName.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "ui/Localisation.h"

namespace quire::editor {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileLines = 16;

// A text as far as Windows-1252 can show it in a message: each character it cannot hold is "?".
std::string shown(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, utf8.size() - i);
        out += text::fromUtf8(utf8.substr(i, length)).value_or("?");
        i += length;
    }
    return out;
}

// One save in progress: the fields in Windows-1252, the files, the texts of the language file.
class Save {
public:
    Save(SharedState& state, SaveFields& fields) : m_state(state), m_fields(fields) {}

    // The refusals made before anything is asked or written; true when the save may go on.
    bool acceptable(const MatrixCells* boxesToCheck) {
        if (m_fields.name.empty()) {
            tell(message("MatrixImport"));
            return refuse(SaveField::Name);
        }
        const auto name = text::fromUtf8(m_fields.name);
        if (const auto problem = matrixNameProblem(m_fields.name); problem || !name) {
            warn(shown(problem.value_or("The name can't be used for a matrix file.")));
            return refuse(SaveField::Name);
        }
        if (boxesToCheck) {
            if (const auto bad = grid::firstBoxWithoutNumber(*boxesToCheck)) {
                warn(bad->message);
                m_outcome.box = bad->index;
                return refuse(SaveField::Box);
            }
        }
        const auto line1 = text::fromUtf8(m_fields.line1);
        const auto line2 = text::fromUtf8(m_fields.line2);
        const auto text1 = text::fromUtf8(m_fields.text1);
        if (!line1 || !text1) {
            warn(unstorable("first"));
            return refuse(SaveField::Description1);
        }
        if (!line2) {
            warn(unstorable("second"));
            return refuse(SaveField::Description2);
        }
        m_name = *name;
        m_line1 = *line1;
        m_line2 = *line2;
        m_text1 = *text1;
        m_fileName = m_name + ".mtx";
        m_section = descriptions::sectionName(m_fileName);
        return true;
    }

    // Box 0 above 8: the first-intra question; false when it was cancelled.
    bool firstIntraAccepted(const MatrixCells& boxes) {
        const auto first = grid::boxNumber(boxes[0]);
        if (!first || *first <= 8)
            return true;
        return ask(message("MatrixWarning3"), kAppTitle);
    }

    // The existence test of Matrix_Info.ini, then the overwrite or the new-matrix question.
    bool overwriteOrNewAccepted() {
        if (ini::SectionExists(*m_state.prompter, infoFile(), m_section))
            return ask(message("MatrixImport2"), kAppTitle);
        return askNewMatrix();
    }

    bool askNewMatrix() {
        return ask(message("MatrixMsg1L1") + "\n\n" + message("MatrixMsg1L2") + " '" + m_name + "'?",
                   message("MatrixMsg1Title"));
    }

    bool askReplace() {
        return ask(message("MatrixEdMsg1L1") + "'" + m_name + "' ?\n\n" + message("MatrixEdMsg1L2"),
                   message("MatrixEdMsg1Title"));
    }

    // A value above 127 entered since the last save puts the CCE warning in front of line 1.
    void cceStep() {
        const auto mark = grid::boxNumber(m_fields.cceValue);
        if (!mark || *mark <= 127)
            return;
        setLine1(message("MatrixWarning2") + "\r\n\r\n" + m_text1);
        m_fields.cceValue = grid::BoxChecks::kNoCceValue;
    }

    void joinLines() {
        setLine1(descriptions::oneLine(m_line1));
        m_line2 = descriptions::oneLine(m_line2);
    }

    void writeDescription(const fs::path& file) { descriptions::write(file, m_fileName, m_line1, m_line2); }
    // An empty line 1 is stored as one blank in both files.
    void blankEmptyLine1() {
        if (!m_line1.empty())
            return;
        ini::SetValue(m_section, "Info1", " ", infoFile());
        ini::SetValue(m_section, "Info1", " ", customFile());
    }
    bool customHasSection() { return ini::SectionExists(*m_state.prompter, customFile(), m_section); }

    bool writeMatrix(const MatrixCells& boxes) {
        if (writeMatrixFile(library::matrixFilePath(m_state.matrixFolder(), m_fileName), boxes))
            return true;
        warn("The matrix file \"" + m_fileName + "\" could not be written in the matrix folder.");
        return false;
    }

    // The closing message; the save is complete.
    void finish(std::string_view key) {
        tell(message(key));
        m_outcome.saved = true;
    }
    void resetMainView() {
        if (m_state.mainView)
            m_state.mainView->resetView();
    }

    const std::string& name() const { return m_name; }
    fs::path infoFile() const { return m_state.matrixFolder() / descriptions::kInfoFile; }
    fs::path customFile() const { return m_state.matrixFolder() / descriptions::kCustomFile; }

    // The outcome, with the description lines handed back to the window.
    SaveOutcome done() {
        if (!m_name.empty()) {
            m_fields.line1 = text::toUtf8(m_line1);
            m_fields.line2 = text::toUtf8(m_line2);
            m_fields.text1 = m_fields.line1;
        }
        return m_outcome;
    }

private:
    std::string message(std::string_view key) const {
        return caption(m_state.programFolder, m_state.txtLang, "MESSAGES", key);
    }
    void tell(const std::string& text) { m_state.prompter->inform(text, kAppTitle); }
    void warn(const std::string& text) { m_state.prompter->inform(text, kAppTitle, PromptIcon::Exclamation); }
    bool ask(const std::string& text, std::string_view title) {
        return m_state.prompter->message(text, title, PromptButtons::OkCancel, PromptIcon::Question) ==
               PromptAnswer::Ok;
    }
    bool refuse(SaveField field) {
        m_outcome.refused = field;
        return false;
    }
    static std::string unstorable(std::string_view which) {
        return "The " + std::string(which) +
               " description line holds characters that Tessera's files (Windows-1252) cannot hold. "
               "Please remove them.";
    }
    // Line 1 and its mirror Text1 change together.
    void setLine1(std::string value) {
        m_line1 = std::move(value);
        m_text1 = m_line1;
    }

    SharedState& m_state;
    SaveFields& m_fields;
    SaveOutcome m_outcome;
    std::string m_name;
    std::string m_line1;
    std::string m_line2;
    std::string m_text1;
    std::string m_fileName;
    std::string m_section;
};

} // namespace

SaveOutcome saveEditedMatrix(SharedState& state, SaveFields& fields, const MatrixCells& boxes,
                             std::string_view selectedEntry) {
    Save save(state, fields);
    if (!save.acceptable(&boxes) || !save.firstIntraAccepted(boxes))
        return save.done();
    save.cceStep();
    save.joinLines();
    save.writeDescription(save.infoFile());
    if (save.customHasSection())
        save.writeDescription(save.customFile());

    // Without a selected entry there is nothing to compare with: no question, no further writes.
    const bool compared = selectedEntry.size() >= 4;
    const bool newName = compared && fields.name != selectedEntry.substr(0, selectedEntry.size() - 4);
    if (compared && !(newName ? save.askNewMatrix() : save.askReplace()))
        return save.done();
    if (newName) {
        save.joinLines();
        save.writeDescription(save.infoFile());
        save.writeDescription(save.customFile());
        save.blankEmptyLine1();
    }
    if (!save.writeMatrix(boxes))
        return save.done();
    if (newName)
        save.writeDescription(save.customFile());
    save.finish("MatrixEdMsg2");
    return save.done();
}

SaveOutcome saveNewMatrix(SharedState& state, SaveFields& fields, const MatrixCells& boxes) {
    Save save(state, fields);
    if (!save.acceptable(&boxes) || !save.firstIntraAccepted(boxes) || !save.overwriteOrNewAccepted())
        return save.done();
    save.cceStep();
    save.joinLines();
    save.writeDescription(save.infoFile());
    save.writeDescription(save.customFile());
    save.blankEmptyLine1();
    if (!save.writeMatrix(boxes))
        return save.done();
    save.finish("MatrixMsg2");
    save.resetMainView();
    return save.done();
}

SaveOutcome saveImportedMatrix(SharedState& state, SaveFields& fields, const MatrixCells& cells) {
    Save save(state, fields);
    if (!save.acceptable(nullptr) || !save.overwriteOrNewAccepted())
        return save.done();
    save.joinLines();
    save.writeDescription(save.infoFile());
    save.writeDescription(save.customFile());
    save.blankEmptyLine1();
    if (!save.writeMatrix(cells))
        return save.done();
    save.finish("MatrixEdMsg2");
    save.resetMainView();
    return save.done();
}

std::optional<LoadedValues> loadEditValues(const std::filesystem::path& file) {
    const auto content = fileio::readFile(file);
    if (!content || text::splitLines(*content).size() < kFileLines)
        return std::nullopt;
    LoadedValues loaded;
    loaded.count = readMatrixText(*content, loaded.cells).cellsFilled;
    return loaded;
}

} // namespace quire::editor
