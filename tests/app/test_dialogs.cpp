// The program's boxes as the user meets them: above the window being worked in, also when
// that one stays on top, with the keyboard focus, and with the toolkit's texts in German.
#include "Dialogs.h"
#include "TForm4.h"
#include "ToolkitLanguage.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void boxOpensAboveTheWindowBeingWorkedIn_data();
    void boxOpensAboveTheWindowBeingWorkedIn();
    void toolkitTextsAreGerman();
};

namespace {

struct SeenBox {
    QWidget* parent = nullptr;
    bool onTop = false;
    bool active = false;
    bool shown = false;
};

// Looks at the box once it is up, then answers it with Return as a user would.
void answerNextBox(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.shown = box->isVisible();
        seen.parent = box->parentWidget();
        seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seen.active = QTest::qWaitForWindowActive(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
}

} // namespace

void TestDialogs::boxOpensAboveTheWindowBeingWorkedIn_data() {
    QTest::addColumn<QString>("under");
    QTest::newRow("the modal Info window, which stays on top") << "info";
    QTest::newRow("the wait window during the start-up") << "wait";
    QTest::newRow("a plain window") << "plain";
}

void TestDialogs::boxOpensAboveTheWindowBeingWorkedIn() {
    QFETCH(QString, under);
    SeenBox seen;
    if (under == QLatin1String("info")) {
        QDialog info(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
        QTimer::singleShot(0, &info, [&] {
            answerNextBox(seen);
            Dialogs::message(QStringLiteral("Import erfolgreich abgeschlossen."));
            info.accept();
        });
        QCOMPARE(info.exec(), int(QDialog::Accepted));
        QCOMPARE(seen.parent, &info);
        QVERIFY(seen.onTop);
    } else if (under == QLatin1String("wait")) {
        TForm4 wait;
        wait.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wait));
        answerNextBox(seen);
        Dialogs::error(QStringLiteral("Keine Tabellendatei: GameData.DB"));
        QCOMPARE(seen.parent, &wait);
        QVERIFY(seen.onTop);
    } else {
        QWidget main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        answerNextBox(seen);
        QVERIFY(Dialogs::confirm(QStringLiteral("Datensatz löschen?")) == false);
        QCOMPARE(seen.parent, &main);
        QVERIFY(!seen.onTop);
    }
    QVERIFY(seen.shown);
    QVERIFY2(seen.active, "the box has the keyboard focus");
}

void TestDialogs::toolkitTextsAreGerman() {
    QVERIFY2(ToolkitLanguage::install(), "qt6-translations-l10n is installed");
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vantora"),
                    QStringLiteral("Datensatz löschen?"), QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));

    // The file dialog's sizes and dates read as German ones, whatever the system's language,
    // while the program's own figures keep the full stop (set at start-up).
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("liste.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    file.close();
    QFileDialog dialog(nullptr, QString(), dir.path());
    Dialogs::setUpOpenDialog(dialog, QStringLiteral("txt"), QStringLiteral("Text (*.txt)"));
    auto* files = qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel());
    QVERIFY(files);
    const auto shown = [&](int column) {
        return dialog.proxyModel()
            ->mapFromSource(files->index(file.fileName()).siblingAtColumn(column))
            .data()
            .toString();
    };
    QTRY_COMPARE(shown(1), QStringLiteral("1,50 KiB"));
    static const QRegularExpression germanDate(
        QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d$"));
    QVERIFY2(germanDate.match(shown(3)).hasMatch(), qPrintable(shown(3)));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
