// Program entry: the theme, the title, the windows in their start-up order, the
// event loop. One optional argument names another settings file (for demos and
// tests); without it the settings file lies beside the executable.
#include "app/main/AppAssembly.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char** argv)
{
    zovax::prepareApplicationEnvironment();
    QApplication app(argc, argv);
    zovax::applyTheme();
    QApplication::setApplicationName(QStringLiteral("KORVEN ZOVAX-Ether"));

    zovax::MainWindowOptions options;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        options.settingsPath = args.at(1);

    try {
        auto frmMain = zovax::createAppWindows(options);
        frmMain->show();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString());
    }
    return 0;
}
