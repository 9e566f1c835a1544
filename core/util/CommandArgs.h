#pragma once

#include <QString>
#include <QStringList>

// Options the front ends take out of their argument lists before the rest is interpreted.
namespace kv {

// Removes "name VALUE" from args; false when absent. A name without its value is left alone.
bool takeOption(QStringList& args, const QString& name, QString* value);
// Removes every "name" from args; true when there was one.
bool takeFlag(QStringList& args, const QString& name);

} // namespace kv
