#include "pageservice/upstreamengine.h"

#include "text/codepage.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace pageservice {

namespace {

struct SplitUrl {
  std::string origin;
  std::string path;
};

std::optional<SplitUrl> Split(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return std::nullopt;
  const std::string name = url.substr(0, scheme);
  if (name != "http" && name != "https") return std::nullopt;
  const std::size_t slash = url.find('/', scheme + 3);
  SplitUrl split{url.substr(0, slash), slash == std::string::npos ? std::string() : url.substr(slash)};
  if (split.origin.size() == scheme + 3) return std::nullopt;
  while (!split.path.empty() && split.path.back() == '/') split.path.pop_back();
  return split;
}

EngineResult Failure(const QString& message) {
  EngineResult result;
  result.bFailed = true;
  result.lines.push_back(text::FromUnicode(message));
  return result;
}

}  // namespace

CUpstreamEngine::CUpstreamEngine(UpstreamConfig config) : m_config(std::move(config)) {
  if (const auto split = Split(m_config.strUrl)) {
    m_strOrigin = split->origin;
    m_strPath = split->path + "/translate";
  }
}

std::unique_ptr<CTranslationEngine> MakeUpstreamEngine(const UpstreamConfig& config, std::string& error) {
  error = CUpstreamEngine::CheckUrl(config.strUrl);
  if (!error.empty()) return nullptr;
  return std::make_unique<CUpstreamEngine>(config);
}

std::string CUpstreamEngine::CheckUrl(const std::string& strUrl) {
  return Split(strUrl) ? std::string() : "not an http:// or https:// URL: " + strUrl;
}

EngineResult CUpstreamEngine::Translate(Direction dir, const std::vector<std::string>& lines) {
  const QString server = QString::fromStdString(m_config.strUrl);
  if (m_strOrigin.empty()) return Failure(QStringLiteral("翻译服务器地址无效：%1").arg(server));
  QStringList source;
  for (const std::string& line : lines) source << text::ToUnicode(line);
  if (source.join(QString()).trimmed().isEmpty()) return {lines, false};

  QJsonObject request{
      {QStringLiteral("q"), source.join(u'\n')},
      {QStringLiteral("source"),
       dir == Direction::EnToZh ? QStringLiteral("en") : QString::fromStdString(m_config.strZhCode)},
      {QStringLiteral("target"),
       dir == Direction::EnToZh ? QString::fromStdString(m_config.strZhCode) : QStringLiteral("en")},
      {QStringLiteral("format"), QStringLiteral("text")}};
  if (!m_config.strApiKey.empty())
    request.insert(QStringLiteral("api_key"), QString::fromStdString(m_config.strApiKey));
  const QByteArray body = QJsonDocument(request).toJson(QJsonDocument::Compact);

  httplib::Client client(m_strOrigin);
  const auto seconds = std::chrono::duration_cast<std::chrono::microseconds>(m_config.timeout);
  client.set_connection_timeout(seconds);
  client.set_read_timeout(seconds);
  client.set_write_timeout(seconds);
  const httplib::Result reply =
      client.Post(m_strPath, body.constData(), static_cast<std::size_t>(body.size()), "application/json");
  if (!reply) {
    return Failure(QStringLiteral("无法连接翻译服务器 %1（%2）")
                       .arg(server, QString::fromStdString(httplib::to_string(reply.error()))));
  }
  const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(reply->body)).object();
  if (reply->status != 200) {
    QString why = answer.value(QLatin1String("error")).toString();
    if (why.isEmpty()) why = QString::fromStdString(reply->reason);
    return Failure(QStringLiteral("翻译服务器拒绝了请求（HTTP %1）：%2").arg(reply->status).arg(why));
  }
  const QJsonValue translated = answer.value(QLatin1String("translatedText"));
  if (!translated.isString()) return Failure(QStringLiteral("翻译服务器的回答无法识别：%1").arg(server));

  EngineResult result;
  for (const QString& line : translated.toString().split(u'\n')) {
    QString clean = line;
    clean.remove(u'\r');
    result.lines.push_back(text::FromUnicode(clean));
  }
  return result;
}

}  // namespace pageservice
