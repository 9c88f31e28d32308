#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// Keeps the drawing items of every screen in drawings.json. The items arrive
// already in their stored form; the store never looks inside them.
class DrawingStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static constexpr int kCurrentVersion = 1;

    static DrawingStore *instance();

    Q_INVOKABLE QVariantList getDrawings() const;
    Q_INVOKABLE void setDrawings(const QVariantList &items);

    // The same document, without the round trip through variants.
    QJsonArray items() const;
    void setItems(const QJsonArray &items);

    // Computes the file path, creating the data directory on the way.
    static QString filePath();

    // Reads the file again; for tests that change it behind the store's back.
    void reload();

private:
    DrawingStore();
    Q_DISABLE_COPY_MOVE(DrawingStore)

    void load();
    void save();

    QJsonObject m_document;
};
