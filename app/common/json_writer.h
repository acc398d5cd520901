#pragma once
// A JSON object written member by member, in the order the members are added and
// without white space. The web services we call read their members by position as
// well as by name, and QJsonObject sorts its keys, so the object is assembled
// here; every value is still escaped by Qt's JSON writer.

#include <QByteArray>
#include <QJsonValue>
#include <QString>

class OrderedJsonObject {
  public:
    OrderedJsonObject& add(const QString& key, const QJsonValue& value);
    // A nested object written in place.
    OrderedJsonObject& add(const QString& key, const OrderedJsonObject& object);
    // The object's text, UTF-8.
    QByteArray toJson() const;

  private:
    QByteArray members_;
};
