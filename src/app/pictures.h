// A game's picture for the window: found on disk by the core's rules, decoded within bounds on
// a thread of its own (the newest request wins, so moving through the list never waits), kept
// in a small cache, and, where the user allows it, downloaded from the set's server into the
// launcher's cache in the background.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "pictures/picture_settings.h"
#include "rom/catalogue.h"

class QNetworkAccessManager;
class QNetworkReply;

// The picture at a path, decoded only when it is a PNG of at most 8 MiB and 4096 pixels a side,
// and scaled to fit `fit` (not scaled where it is empty); a null image otherwise.
QImage decodePicture(const std::string& path, QSize fit = {});

// Where the sets are looked for, from the user's folder and the process's environment.
kl::PictureSearch pictureSearchFor(const kl::PictureSettings& settings);

class PictureSource : public QObject {
    Q_OBJECT
public:
    explicit PictureSource(QObject* parent = nullptr);
    ~PictureSource() override;

    // New settings forget every picture decoded or known missing.
    void setSettings(const kl::PictureSettings& settings);
    const kl::PictureSettings& settings() const { return m_settings; }
    // The picture of the game at this path, scaled to fit `fit`: pictureReady follows, at once
    // for one in the cache.
    void request(const std::string& romPath, QSize fit);
    // The picture file on disk of the game at this path, found now on the calling thread.
    std::optional<std::string> pictureFile(const std::string& romPath, const std::vector<kl::Catalogue>& catalogues) const;

signals:
    // A null picture: the game has none (yet).
    void pictureReady(const QString& romPath, const QImage& picture);

private:
    struct Found {
        QImage picture;
        bool onDisk = false;             // a file was found, whether or not it could be shown
        std::vector<std::string> names;  // what a download tries, where nothing was found
    };
    void finished(const QString& romPath, quint64 generation, const Found& found);
    void download(const QString& romPath, const std::vector<std::string>& names);
    void startDownloads();
    void downloaded(QNetworkReply* reply);

    kl::PictureSettings m_settings;
    kl::PictureSearch m_search;
    QThreadPool m_decoder;
    std::shared_ptr<kl::CatalogueSet> m_catalogues = std::make_shared<kl::CatalogueSet>();
    std::shared_ptr<std::atomic<quint64>> m_latest = std::make_shared<std::atomic<quint64>>(0);
    quint64 m_generation = 0;  // of the settings: results of older ones are dropped
    QSize m_fit;
    QHash<QString, QImage> m_cache;
    QStringList m_recent;  // least recently used first
    QString m_wanted;      // the game asked for last

    QNetworkAccessManager* m_network = nullptr;
    struct Download {
        QString romPath;
        QString address;
        std::string file;  // where it lands in the cache
        std::vector<std::string> rest;  // the names to try after this one
    };
    QList<Download> m_queue;
    QHash<QNetworkReply*, Download> m_running;
    QSet<QString> m_missing;  // addresses answered 404 (or not at all) this session
};
