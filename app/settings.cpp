#include "settings.h"

#include "settingserror.h"
#include "settingsscreen.h"

#include <QFile>
#include <QTextStream>

namespace
{
const char kDocumentType[] = "settings";
constexpr int kDecimalBase = 10;
constexpr char kFloatFormat = 'g';
constexpr int kFloatPrecision = 6;
constexpr int kSaveIndent = 4;
} // namespace

Settings::Settings(const QString &fileName, QString *whyRefused) : QDomDocument(kDocumentType)
{
    const QString refusal = load(fileName);
    if (!refusal.isEmpty()) {
        if (whyRefused != nullptr)
            *whyRefused = refusal;
        throw new SettingsError;
    }
    this->fileName = fileName;
}

// Parses the file into the document; empty on success, else why not.
QString Settings::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot open it: ") + file.errorString();
    // One byte over the limit is enough to tell that the file is too large.
    const QByteArray document = file.read(kMaxSettingsBytes + 1);
    file.close();
    const QString refusal = settingsScreenRefusal(document);
    if (!refusal.isEmpty())
        return refusal;
    QString error;
    int line = 0;
    int column = 0;
    if (!setContent(document, false, &error, &line, &column))
        return QStringLiteral("not well-formed XML at line %1, column %2: %3")
            .arg(line)
            .arg(column)
            .arg(error);
    return QString();
}

QDomElement Settings::keyElement(const QString &key) const
{
    return documentElement().firstChildElement(key);
}

int Settings::getInt(const QString &key, int defaultValue) const
{
    const QDomElement element = keyElement(key);
    if (element.isNull())
        return defaultValue;
    bool ok = false;
    const int value = element.text().toInt(&ok, kDecimalBase);
    return ok ? value : defaultValue;
}

float Settings::getFloat(const QString &key, float defaultValue) const
{
    const QDomElement element = keyElement(key);
    if (element.isNull())
        return defaultValue;
    bool ok = false;
    const float value = element.text().toFloat(&ok);
    return ok ? value : defaultValue;
}

QString Settings::getString(const QString &key, const QString &defaultValue) const
{
    const QDomElement element = keyElement(key);
    return element.isNull() ? defaultValue : element.text();
}

void Settings::setString(const QString &key, const QString &value)
{
    QDomElement element = createElement(key);
    element.appendChild(createTextNode(value));
    QDomElement root = documentElement();
    const QDomElement old = root.firstChildElement(key);
    if (old.isNull())
        root.appendChild(element);
    else
        root.replaceChild(element, old);
}

void Settings::setInt(const QString &key, int value)
{
    QString text;
    text.setNum(qlonglong(value), kDecimalBase);
    setString(key, text);
}

void Settings::setFloat(const QString &key, float value)
{
    QString text;
    text.setNum(double(value), kFloatFormat, kFloatPrecision);
    setString(key, text);
}

void Settings::save()
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw new SettingsError;
    QTextStream out(&file);
    QDomNode::save(out, kSaveIndent);
}
