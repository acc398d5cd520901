// The driver's status timer needs an application object, as in the program.
#include <QCoreApplication>

namespace {
int argc = 1;
char name[] = "cloud_test";
char* argv[] = {name, nullptr};
const QCoreApplication* const app = new QCoreApplication(argc, argv);
}  // namespace
