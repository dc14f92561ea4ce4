// The main window of Quire.
#pragma once

#include <QMainWindow>

namespace quire {

class Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Main(QWidget* parent = nullptr);
};

} // namespace quire
