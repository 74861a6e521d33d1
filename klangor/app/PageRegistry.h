#pragma once
// The editor pages the main window offers, in menu order. A page plugs in with its entry's factory
// in PageRegistry.cpp; until then its command does nothing.

#include "morvex/MorvexState.h"

#include <QKeySequence>
#include <QString>
#include <vector>

class QWidget;

namespace klangor {

class EditPage;

class Session;

using PageFactory = EditPage* (*)(Session& session, QWidget* parent);

template <class Page>
EditPage* makePage(Session& session, QWidget* parent) {
    return new Page(session, parent);
}

struct PageInfo {
    QString name;    // held in ActivePage: "FCommon"
    QString command; // menu bar caption: "&Common"
    QKeySequence shortcut;
    int helpContext = 1000;
    PageFactory create = nullptr; // null while the page does not exist
};

const std::vector<PageInfo>& registeredPages();
const PageInfo* findPage(const QString& name);

} // namespace klangor
