#include "common/json_writer.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// One value as Qt writes it: wrapped in an array, which is then taken off again.
QByteArray jsonText(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

}  // namespace

OrderedJsonObject& OrderedJsonObject::add(const QString& key, const QJsonValue& value) {
    if (!members_.isEmpty()) members_ += ',';
    members_ += jsonText(key) + ':' + jsonText(value);
    return *this;
}

OrderedJsonObject& OrderedJsonObject::add(const QString& key, const OrderedJsonObject& object) {
    if (!members_.isEmpty()) members_ += ',';
    members_ += jsonText(key) + ':' + object.toJson();
    return *this;
}

QByteArray OrderedJsonObject::toJson() const { return '{' + members_ + '}'; }
