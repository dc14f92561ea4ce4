// A description field of the matrix windows: several lines, a vertical scroll bar, at most 254
// characters typed (text the program puts in is not cut), Tab moving on to the next control.
#pragma once

#include <QPlainTextEdit>
#include <string>

namespace quire {

class DescriptionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 254;

    explicit DescriptionBox(QWidget* parent = nullptr);

    // The text as UTF-8 with CR LF line breaks, as the saves take it.
    std::string crLfText() const;
    // Sets the text as the program does (no length limit); CR LF, LF and CR all break lines.
    // Nothing happens when the box already shows that text.
    void setCrLfText(const std::string& utf8);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many more characters typing may add, counting the selection as gone.
    int room() const;
};

} // namespace quire
