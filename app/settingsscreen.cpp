#include "settingsscreen.h"

#include <QXmlStreamReader>

namespace
{
const char kEntityDeclaration[] = "<!ENTITY";
} // namespace

bool settingsScreenPasses(const QByteArray &document)
{
    if (document.size() > kMaxSettingsBytes || document.contains(kEntityDeclaration))
        return false;
    // The stream reader walks the document without recursion and without
    // expanding anything before the document type is seen.
    QXmlStreamReader reader(document);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (reader.text().contains(QLatin1String(kEntityDeclaration)) ||
                !reader.entityDeclarations().isEmpty())
                return false;
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxSettingsDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return true;
}
