#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace testsupport {

// "Root(a,b,S(x))": an item's text, then its children in brackets.
inline QString Outline(const QTreeWidgetItem& item) {
    QString text = item.text(0);
    if (item.childCount() == 0) {
        return text;
    }
    QStringList children;
    for (int i = 0; i < item.childCount(); ++i) {
        children << Outline(*item.child(i));
    }
    return text + "(" + children.join(',') + ")";
}

inline QString Outline(const QTreeWidget& tree) {
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        top << Outline(*tree.topLevelItem(i));
    }
    return top.join(';');
}

} // namespace testsupport
