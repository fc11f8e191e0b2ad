#include "kestrum-widgets/common/treeitems.h"

#include "kestrum-widgets/common/cimagelist.h"
#include <kestrum-gui/displaytext.h>

#include <QTreeWidget>

#include <algorithm>

namespace kestrum {

namespace {

int IntData(const QTreeWidgetItem& item, int role) {
    const QVariant value = item.data(0, role);
    return value.isValid() ? value.toInt() : -1;
}

bool TextLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    const int order = QString::compare(a->text(0), b->text(0), Qt::CaseInsensitive);
    if (order != 0) {
        return order < 0;
    }
    return a->data(0, kNameRole).toByteArray() < b->data(0, kNameRole).toByteArray();
}

} // namespace

QTreeWidgetItem* AppendItem(QTreeWidget& tree, QTreeWidgetItem* parent, std::string_view name,
                            int image, int selectedImage, const CImageList* images) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, DecodeText(name));
    item->setData(0, kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    SetItemImages(*item, image, selectedImage, images);
    if (parent != nullptr) {
        parent->addChild(item);
    } else {
        tree.addTopLevelItem(item);
    }
    return item;
}

void SetItemImages(QTreeWidgetItem& item, int image, int selectedImage, const CImageList* images) {
    item.setData(0, kImageRole, image);
    item.setData(0, kSelectedImageRole, selectedImage);
    if (images != nullptr) {
        item.setIcon(0, images->GetIcon(image, selectedImage));
    }
}

int GetItemImage(const QTreeWidgetItem& item) {
    return IntData(item, kImageRole);
}

int GetItemSelectedImage(const QTreeWidgetItem& item) {
    return IntData(item, kSelectedImageRole);
}

std::string GetItemName(const QTreeWidgetItem& item) {
    return item.data(0, kNameRole).toByteArray().toStdString();
}

void SortChildren(QTreeWidgetItem& item) {
    QList<QTreeWidgetItem*> children = item.takeChildren();
    std::stable_sort(children.begin(), children.end(), TextLess);
    item.addChildren(children);
}

} // namespace kestrum
