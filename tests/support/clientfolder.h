#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A working folder for the client, laid out as the client expects one: the
// source tree's textures/, sounds/ and mdl/ (the models linked one by one, so that a
// test can take one away) and the settings file that the test writes. It is
// removed with the object.
class ClientFolder
{
public:
    static constexpr char kSettingsFile[] = "clientSettings.xml";

    ClientFolder();
    ~ClientFolder();
    ClientFolder(const ClientFolder &) = delete;
    ClientFolder &operator=(const ClientFolder &) = delete;

    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

    // Settings for a server on 127.0.0.1 at port, with a timeToLive element
    // holding timeToLive when one is given and then moreElements (guard zones,
    // say), in the settings file or in the file called name here.
    bool writeSettings(quint16 port, const QString &timeToLive = QString(),
                       const QString &name = kSettingsFile,
                       const QString &moreElements = QString());
    // The settings file (or the file called name here) holding exactly document.
    bool writeSettingsFile(const QByteArray &document, const QString &name = kSettingsFile);

    // Takes one model file (a name under mdl/), all the models or all the
    // textures away.
    bool removeModel(const char *file);
    bool removeModels();
    bool removeTextures();

    // Makes this the process's working folder until the object goes.
    void enter();

private:
    QTemporaryDir dir;
    QString previousFolder; // empty unless entered
};
