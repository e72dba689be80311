// Real Wine: every language the launcher takes for code page 1252 is 1252 to a Windows program
// under Wine, and controls that are not (Polish, Albanian) are not, so a locale that failed to
// load (Wine then falls back to 1252) cannot pass. The locales are made with localedef in the
// build folder and reach Wine and the launcher's own reading through LOCPATH. Skipped (77)
// without Wine, mingw-w64 or localedef.
#include <QtTest>

#include <cstdio>

#include "launch/wine_locale.h"

using namespace kl;

namespace {

// The locale each language is checked under: its usual territory.
const QMap<QString, QString> kLocaleOf{
    {"af", "af_ZA"}, {"ca", "ca_ES"}, {"da", "da_DK"}, {"de", "de_DE"}, {"en", "en_US"}, {"es", "es_ES"},
    {"eu", "eu_ES"}, {"fi", "fi_FI"}, {"fo", "fo_FO"}, {"fr", "fr_FR"}, {"ga", "ga_IE"}, {"gl", "gl_ES"},
    {"id", "id_ID"}, {"is", "is_IS"}, {"it", "it_IT"}, {"ms", "ms_MY"}, {"nb", "nb_NO"}, {"nl", "nl_NL"},
    {"nn", "nn_NO"}, {"pt", "pt_PT"}, {"sv", "sv_SE"}, {"sw", "sw_KE"}};

const QString kWork = QStringLiteral(KL_WINE_WORK);

}  // namespace

class TestWineCodePages : public QObject {
    Q_OBJECT
    QString m_standIn = kWork + "/stand_in.exe";
    QString m_locales = kWork + "/locales";

    // The ANSI code page the stand-in gets under LANG=<lang> and the changes the launcher
    // makes to that environment for Wine; 0 when it did not run.
    unsigned codePage(const QString& lang)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_ALL");
        env.remove("LC_CTYPE");
        lang.isEmpty() ? env.remove("LANG") : env.insert("LANG", lang);
        env.insert("LOCPATH", m_locales);
        // The launcher's reading of that environment, as a launch would make it.
        const QByteArray saved = qgetenv("LANG");
        lang.isEmpty() ? qunsetenv("LANG") : qputenv("LANG", lang.toUtf8());
        const LocaleVariables locale = currentLocaleVariables();
        saved.isEmpty() ? qunsetenv("LANG") : qputenv("LANG", saved);
        for (const EnvironmentChange& change : wineLocaleChanges(locale))
            change.value ? env.insert(QString::fromStdString(change.name), QString::fromStdString(*change.value))
                         : env.remove(QString::fromStdString(change.name));
        QProcess wine;
        wine.setProcessEnvironment(env);
        wine.start("wine", {m_standIn, "--code-page"});
        if (!wine.waitForFinished(60000))
            return 0;
        return wine.readAllStandardOutput().trimmed().toUInt();
    }

private slots:
    void initTestCase()
    {
        qputenv("LOCPATH", m_locales.toUtf8());  // the launcher's own reading of a locale too
        QDir().mkpath(m_locales);
        QCOMPARE(QProcess::execute("x86_64-w64-mingw32-gcc", {"-O2", "-o", m_standIn, KL_STAND_IN_SOURCE, "-lshell32"}),
                 0);
        QStringList wanted = kLocaleOf.values();
        wanted << "pl_PL" << "sq_AL";
        for (const QString& name : wanted) {
            if (QFileInfo::exists(m_locales + '/' + name + ".UTF-8"))
                continue;
            QCOMPARE(QProcess::execute("localedef", {"-i", name, "-f", "UTF-8", m_locales + '/' + name + ".UTF-8"}), 0);
        }
        if (!QFileInfo::exists(kWork + "/prefix/system.reg"))
            QCOMPARE(QProcess::execute("wine", {"wineboot", "-i"}), 0);
        QProcess::execute("wineserver", {"-p60"});  // one server for all the runs
    }
    void cleanupTestCase() { QProcess::execute("wineserver", {"-k"}); }

    void everyWesternLanguageIsWines1252_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<unsigned>("codePage");
        QTest::addColumn<bool>("western");  // as the launcher judges it
        for (const std::string_view language : wineWesternLanguages()) {
            const QString name = QString::fromUtf8(language.data(), qsizetype(language.size()));
            QVERIFY2(kLocaleOf.contains(name), qPrintable("no locale to check " + name + " under"));
            QTest::newRow(qPrintable(name)) << kLocaleOf[name] + ".UTF-8" << 1252u << true;
        }
        QTest::newRow("control: Polish") << "pl_PL.UTF-8" << 1250u << false;
        QTest::newRow("control: Albanian") << "sq_AL.UTF-8" << 1250u << false;
        // C, POSIX and no LANG are no UTF-8 locales: Wine runs under the LC_CTYPE=C.UTF-8 the
        // launcher gives it then, and that is what is checked.
        QTest::newRow("C") << "C" << 1252u << true;
        QTest::newRow("POSIX") << "POSIX" << 1252u << true;
        QTest::newRow("no LANG") << "" << 1252u << true;
    }
    void everyWesternLanguageIsWines1252()
    {
        QFETCH(QString, lang);
        QFETCH(unsigned, codePage);
        QFETCH(bool, western);
        QCOMPARE(this->codePage(lang), codePage);
        QCOMPARE(wineAnsiCharacters({"", "", lang.toStdString(), true}, {}) == AnsiCharacters::Windows1252, western);
    }
};

int main(int argc, char** argv)
{
    for (const char* tool : {"wine", "wineserver", "x86_64-w64-mingw32-gcc", "localedef"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            std::printf("SKIP: %s is not installed\n", tool);
            return 77;
        }
    if (!QFileInfo::exists("/usr/share/i18n/locales/pl_PL")) {
        std::printf("SKIP: the locales package is not installed\n");
        return 77;
    }
    QCoreApplication app(argc, argv);
    qputenv("WINEPREFIX", (kWork + "/prefix").toUtf8());
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    QDir().mkpath(kWork);
    TestWineCodePages test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wine_code_pages.moc"
