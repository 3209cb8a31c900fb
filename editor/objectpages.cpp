#include "objectpages.h"

#include "fontpage.h"
#include "formatpage.h"
#include "numberpage.h"
#include "picturepage.h"
#include "positionpage.h"
#include "textpage.h"

QList<ObjectPage *> makeObjectPages(const DocumentEditor &editor)
{
    return {new NumberPage(editor), new TextPage(editor),   new PositionPage(editor),
            new FontPage(editor),   new FormatPage(editor), new PicturePage(editor)};
}
