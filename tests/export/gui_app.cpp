// Fonts and the PDF writer need a GUI application object, as in the program.
#include <QGuiApplication>

namespace {
int argc = 1;
char name[] = "export_test";
char* argv[] = {name, nullptr};
const QGuiApplication* const app = new QGuiApplication(argc, argv);
}  // namespace
