// Qt message boxes and file dialogs behind the prompt interface; the only file that uses them.
#include "QtPrompter.h"

#include "ui/WindowLook.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace quire {
namespace {

// Message texts may break their lines with CR LF, as the files do; a box shows one break for each.
QString boxText(std::string_view text) {
    QString shown = fromCp1252(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    return shown;
}

QMessageBox::Icon iconOf(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

PromptAnswer QtPrompter::message(std::string_view text, std::string_view title, PromptButtons buttons,
                                 PromptIcon icon) {
    QMessageBox box(iconOf(icon), fromCp1252(title), boxText(text), buttonsOf(buttons), m_parent);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    default:
        return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
    }
}

std::string QtPrompter::openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                 std::string_view startFolder) {
    QStringList parts;
    for (const auto& f : filters) {
        QString patterns = QString::fromStdString(f.patterns);
        patterns.replace(';', ' ');
        // "*.*" means every file on Windows, also those without a dot in their names.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        parts << fromCp1252(f.description) + " (" + patterns + ")";
    }
    const QString chosen = QFileDialog::getOpenFileName(
        m_parent, fromCp1252(title), QString::fromStdString(std::string(startFolder)), parts.join(";;"));
    return chosen.isEmpty() ? std::string() : QDir::toNativeSeparators(chosen).toStdString();
}

std::string QtPrompter::saveFile(std::string_view title, const std::vector<FileFilter>& filters,
                                 std::string_view startPath) {
    QStringList parts;
    for (const auto& f : filters)
        parts << fromCp1252(f.description) + " (" + QString::fromStdString(f.patterns).replace(';', ' ') + ")";
    const QString chosen = QFileDialog::getSaveFileName(
        m_parent, fromCp1252(title), QString::fromStdString(std::string(startPath)), parts.join(";;"));
    return chosen.isEmpty() ? std::string() : QDir::toNativeSeparators(chosen).toStdString();
}

std::string QtPrompter::browseFolder(std::string_view title, std::string_view startFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(m_parent, fromCp1252(title),
                                                             QString::fromStdString(std::string(startFolder)));
    if (chosen.isEmpty())
        return {};
    QString path = QDir::cleanPath(chosen);
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace quire
