#pragma once

#include <QList>

class DocumentEditor;
class ObjectPage;

// Every page of the Object Properties window, in the order of its tabs;
// the window takes them over.
QList<ObjectPage *> makeObjectPages(const DocumentEditor &editor);
