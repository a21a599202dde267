#pragma once
// What the window shows before a study is open: how to open one, and the recent studies.

#include <QListWidget>
#include <QPushButton>
#include <QWidget>

namespace lab {

class StartPage : public QWidget {
    Q_OBJECT

  public:
    explicit StartPage(const QStringList& recentStudies, QWidget* parent = nullptr);

  signals:
    void openFileChosen();
    void connectChosen();
    void recentChosen(const QString& shownLocation);

  private:
    QPushButton openFile_;
    QPushButton connect_;
    QListWidget recent_;
};

}  // namespace lab
