#pragma once

#include <QMainWindow>

namespace verselet {

// The editor window. For now it only carries the caption of a new document.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace verselet
