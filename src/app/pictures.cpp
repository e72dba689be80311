// Finding, decoding, caching and downloading games' pictures.
#include "pictures.h"

#include <QFile>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cstdlib>

#include "bytes.h"
#include "catalogues.h"
#include "config/config_location.h"
#include "config/text_file.h"
#include "file_kind.h"
#include "paths.h"

namespace {

constexpr int kCachedPictures = 48;
constexpr int kDownloadsAtOnce = 2;
constexpr int kDownloadSeconds = 15;

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

QImage decodePicture(const std::string& path, QSize fit)
{
    const kl::FileStatus status = kl::fileStatus(path);
    if (status.kind != kl::FileKind::Regular || status.size > kl::kMaxPictureBytes)
        return {};
    QFile file(fromBytes(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The header says how large the picture is before anything of it is decoded.
    const QByteArray head = file.peek(24);
    const auto size = kl::pngSize(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
    if (!size || size->first < 1 || size->second < 1 || size->first > kl::kMaxPictureSide
        || size->second > kl::kMaxPictureSide)
        return {};
    QImageReader reader(&file, "png");
    reader.setDecideFormatFromContent(false);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return {};
    if (fit.isValid() && !fit.isEmpty() && (picture.width() > fit.width() || picture.height() > fit.height()))
        picture = picture.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

kl::PictureSearch pictureSearchFor(const kl::PictureSettings& settings)
{
    return {settings.folder, kl::homeFolder(), variable("XDG_CONFIG_HOME"), variable("XDG_CACHE_HOME")};
}

PictureSource::PictureSource(QObject* parent) : QObject(parent)
{
    // One thread: a request is only ever waited for by the next, and the catalogues it reads
    // are its own.
    m_decoder.setMaxThreadCount(1);
    m_search = pictureSearchFor(m_settings);
}

PictureSource::~PictureSource()
{
    m_decoder.clear();
    m_decoder.waitForDone();
    // Downloads still running end with the manager; their ends must not reach this object, whose
    // members are gone by the time its children are deleted.
    if (m_network) {
        m_network->disconnect(this);
        delete m_network;
    }
}

void PictureSource::setSettings(const kl::PictureSettings& settings)
{
    m_settings = settings;
    m_search = pictureSearchFor(settings);
    ++m_generation;
    m_cache.clear();
    m_recent.clear();
    m_queue.clear();
    m_missing.clear();
}

std::optional<std::string> PictureSource::pictureFile(const std::string& romPath,
                                                      const std::vector<kl::Catalogue>& catalogues) const
{
    const auto names = kl::pictureNames(kl::catalogueNamesOf(romPath, catalogues), kl::splitPath(romPath).name);
    return kl::findPicture(kl::pictureFolders(m_search), names, m_settings.kind);
}

void PictureSource::request(const std::string& romPath, QSize fit)
{
    const QString key = fromBytes(romPath);
    m_wanted = key;
    if (fit != m_fit) {
        m_fit = fit;
        m_cache.clear();
        m_recent.clear();
    }
    // Downloads wait only for the game in view.
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [&](const Download& d) { return d.romPath != key; }),
                  m_queue.end());
    if (const auto cached = m_cache.constFind(key); cached != m_cache.constEnd()) {
        m_recent.removeOne(key);
        m_recent.append(key);
        emit pictureReady(key, *cached);
        return;
    }
    const quint64 ticket = ++*m_latest;
    const std::shared_ptr<std::atomic<quint64>> latest = m_latest;
    const quint64 generation = m_generation;
    const std::string catalogueFolder = catalogueFolderInUse();
    const kl::PictureSearch search = m_search;
    const kl::PictureKind kind = m_settings.kind;
    const std::shared_ptr<kl::CatalogueSet> catalogues = m_catalogues;
    m_decoder.start([this, romPath, key, fit, ticket, latest, generation, catalogueFolder, search, kind, catalogues] {
        if (latest->load() != ticket)
            return;  // a newer selection came meanwhile: this one is no longer shown
        // Read only by this source's one thread: requests run one after the other.
        const auto& known = catalogues->catalogues(catalogueFolder, std::string(kl::kMameSoftwareList));
        Found found;
        found.names = kl::pictureNames(kl::catalogueNamesOf(romPath, known), kl::splitPath(romPath).name);
        if (const auto file = kl::findPicture(kl::pictureFolders(search), found.names, kind)) {
            found.onDisk = true;
            found.picture = decodePicture(*file, fit);
        }
        QMetaObject::invokeMethod(this, [this, key, generation, found] { finished(key, generation, found); },
                                  Qt::QueuedConnection);
    });
}

void PictureSource::finished(const QString& romPath, quint64 generation, const Found& found)
{
    if (generation != m_generation)
        return;
    m_cache.insert(romPath, found.picture);
    m_recent.removeOne(romPath);
    m_recent.append(romPath);
    while (m_recent.size() > kCachedPictures)
        m_cache.remove(m_recent.takeFirst());
    if (romPath == m_wanted)
        emit pictureReady(romPath, found.picture);
    // A damaged file on disk is the user's to replace: one fetched into the cache would stay
    // behind it in the lookup order.
    if (!found.onDisk && m_settings.download && romPath == m_wanted)
        download(romPath, found.names);
}

void PictureSource::download(const QString& romPath, const std::vector<std::string>& names)
{
    const std::string cache = kl::pictureCacheFolder(m_search);
    if (cache.empty())
        return;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString address = fromBytes(kl::pictureAddress(m_settings.base, m_settings.kind, names[i]));
        if (m_missing.contains(address))
            continue;
        bool queued = false;
        for (const Download& d : std::as_const(m_queue))
            queued = queued || d.address == address;
        for (const Download& d : std::as_const(m_running))
            queued = queued || d.address == address;
        if (!queued)
            m_queue.append({romPath, address, kl::picturePath(cache, m_settings.kind, names[i]),
                            {names.begin() + static_cast<std::ptrdiff_t>(i) + 1, names.end()}});
        break;
    }
    startDownloads();
}

void PictureSource::startDownloads()
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        // Nothing is sent but the request for the file: no cookies are kept, and none offered.
        m_network->setCookieJar(nullptr);
        connect(m_network, &QNetworkAccessManager::finished, this, &PictureSource::downloaded);
    }
    while (m_running.size() < kDownloadsAtOnce && !m_queue.isEmpty()) {
        const Download next = m_queue.takeFirst();
        QNetworkRequest request{QUrl::fromEncoded(next.address.toUtf8())};
        request.setTransferTimeout(kDownloadSeconds * 1000);
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
        QNetworkReply* reply = m_network->get(request);
        // A picture is a few hundred KiB; more than the limit is not one, and is not read on.
        connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
            if (received > static_cast<qint64>(kl::kMaxPictureBytes))
                reply->abort();
        });
        m_running.insert(reply, next);
    }
}

void PictureSource::downloaded(QNetworkReply* reply)
{
    reply->deleteLater();
    const Download done = m_running.take(reply);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status == 200) {
        const QByteArray body = reply->read(static_cast<qint64>(kl::kMaxPictureBytes) + 1);
        const std::string_view bytes(body.constData(), static_cast<std::size_t>(body.size()));
        if (body.size() <= static_cast<qint64>(kl::kMaxPictureBytes) && kl::hasPngSignature(bytes)
            && kl::makeFolders(kl::splitPath(done.file).folder, 0700) && kl::writeFileAtomically(done.file, bytes)) {
            m_cache.remove(done.romPath);
            m_recent.removeOne(done.romPath);
            if (done.romPath == m_wanted)
                request(toBytes(done.romPath), m_fit);
        } else {
            m_missing.insert(done.address);
        }
    } else {
        // A missing picture, and a server that does not answer, are not asked again this session.
        m_missing.insert(done.address);
        if (status == 404 && !done.rest.empty() && done.romPath == m_wanted)
            download(done.romPath, done.rest);
    }
    startDownloads();
}
