#pragma once

#include <QMainWindow>
#include <QPointer>

#include "app/MainWidget.h"

// The one window: waits for Space, then hosts the surface that plays the demo.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void toogleFullscreen(bool on);
    MainWidget* surface() const { return mainWidget; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void toggleFullscreenState();

    // The surface deletes itself at the end of the demo; QPointer then reads null.
    QPointer<MainWidget> mainWidget;
};
