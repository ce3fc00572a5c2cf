#pragma once

#include <QDomDocument>
#include <QString>

// The client's settings: a small XML file whose root element holds one child
// element per key, the element's text being the value. Lookups never fail;
// they fall back to the default given.
class Settings : public QDomDocument
{
public:
    // Loads and parses the file; throws SettingsError* when it cannot, after
    // saying why in whyRefused when that is given: the file's error, the limit
    // it breaks, or the XML error with its line and column.
    explicit Settings(const QString &fileName, QString *whyRefused = nullptr);

    int getInt(const QString &key, int defaultValue) const;
    float getFloat(const QString &key, float defaultValue) const;
    QString getString(const QString &key, const QString &defaultValue) const;

    // Create or replace the key's element in the document in memory.
    void setString(const QString &key, const QString &value);
    void setInt(const QString &key, int value);
    void setFloat(const QString &key, float value);

    // Writes the document back to its file; throws SettingsError* when the
    // file cannot be opened for writing.
    void save();

private:
    QString load(const QString &fileName);
    QDomElement keyElement(const QString &key) const;

    QString fileName;
};
