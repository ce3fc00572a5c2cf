#include "settingsscreen.h"

#include <QXmlStreamReader>

namespace
{
const char kEntityDeclaration[] = "<!ENTITY";

QString tooLarge()
{
    return QStringLiteral("larger than %1 bytes").arg(kMaxSettingsBytes);
}

QString tooDeep()
{
    return QStringLiteral("elements nested deeper than %1 levels").arg(kMaxSettingsDepth);
}

QString declaresEntities()
{
    return QStringLiteral("it declares entities");
}

} // namespace

QString settingsScreenRefusal(const QByteArray &document)
{
    if (document.size() > kMaxSettingsBytes)
        return tooLarge();
    if (document.contains(kEntityDeclaration))
        return declaresEntities();
    // The stream reader walks the document without recursion and without
    // expanding anything before the document type is seen.
    QXmlStreamReader reader(document);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (reader.text().contains(QLatin1String(kEntityDeclaration)) ||
                !reader.entityDeclarations().isEmpty())
                return declaresEntities();
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxSettingsDepth)
                return tooDeep();
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return QString();
}
