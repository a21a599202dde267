#pragma once
// The splash screen shown while the program starts: a picture, the product's title, its
// maker and credits, the notice on permitted research use, the platform and the version.
// It has nothing the user can operate.

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QWidget>

// A small tank with its pipes and goal line, drawn in code.
class SplashPicture : public QWidget {
  public:
    explicit SplashPicture(QWidget* parent) : QWidget(parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class frmSplash : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(frmSplash)

  public:
    frmSplash();

    QFrame Frame1{this};
    SplashPicture imgLogo{&Frame1};
    QLabel lblProductName{&Frame1};
    QLabel lblCompany{&Frame1};
    QLabel lblCopyright{&Frame1};
    QLabel lblWarning{&Frame1};
    QLabel lblPlatform{&Frame1};
    QLabel lblVersion{&Frame1};
};
