// The help window: the user guide (HTML pages compiled into the program) in a browser with
// back, forward and home buttons.
#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace velor::ui {

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window at the guide's start page and brings it to the front.
    void ShowStartPage();
    // Shows the window at a page of the guide (a qrc:/help/ address), within the screen.
    void ShowPage(const QUrl& page);
    QTextBrowser* Browser() const { return browser_; }

    static QUrl StartPage();

private:
    QTextBrowser* browser_;
};

} // namespace velor::ui
