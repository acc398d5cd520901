#include <QString>
#include <QLabel>
