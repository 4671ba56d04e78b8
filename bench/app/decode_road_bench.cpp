// What one decode costs, against varnelle-service on loopback: click to text in the window
// (offscreen, the dialog answered at once), the command-line road per image, each split into the
// three exchanges, the JSON work and the picture, and Varnelle's own share: everything but the
// time the service spent answering. zbarimg decoding the same file locally is the yardstick.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "app/decode_cli.h"
#include "app/decode_exchanges.h"
#include "app/decode_workflow.h"
#include "app/main_window.h"
#include "app/open_file_dialog.h"
#include "app/picture_box.h"
#include "qr_fixture.h"
#include "service_harness.h"

namespace varnelle {
namespace {

using service::testing::RunningService;

const char kText[] = "https://example.org/varnelle?q=benchmark";

struct Fixture {
  RunningService service;
  QTemporaryDir folder;
  QString image_path;
  Bytes image;
  ServiceEndpoints endpoints;

  Fixture() {
    setenv("SSL_CERT_FILE", service.ca_file().c_str(), 1);
    const std::string port = std::to_string(service.port());
    endpoints = {"localhost:" + port, "127.0.0.1:" + port, "varnelle"};
    image = service::testing::qr_png(kText);
    image_path = folder.filePath(QStringLiteral("qr.png"));
    QFile file(image_path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
  }

  // Milliseconds the service spent on the requests it logged since the last call.
  double service_ms() {
    const std::string log = service.log_text();
    static const std::regex duration(R"(([0-9.]+)ms)");
    double total = 0;
    for (auto it = std::sregex_iterator(log.begin() + seen_, log.end(), duration);
         it != std::sregex_iterator(); ++it)
      total += std::stod((*it)[1]);
    seen_ = log.size();
    return total;
  }

 private:
  std::size_t seen_ = 0;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

double elapsed_ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// Presses Open as soon as the dialog is up; the dialog comes pre-filled with the last file.
void answer_dialog_with(const QString& path) {
  QTimer::singleShot(0, [path] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return answer_dialog_with(path);
    dialog->selectFile(path);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
  });
}

void BM_ClickToText(benchmark::State& state) {
  Fixture& f = fixture();
  MainWindow window;
  window.show();
  bind_decode_workflow(window, f.endpoints);
  f.service_ms();
  double service_ms = 0;
  for (auto _ : state) {
    window.编辑框1()->clear();
    answer_dialog_with(f.image_path);
    window.按钮1()->click();
    if (window.编辑框1()->text() != QString::fromUtf8(kText)) state.SkipWithError("no text");
    service_ms += f.service_ms();
  }
  state.counters["service_ms"] = benchmark::Counter(service_ms, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClickToText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// The road without the window, split into its parts.
void BM_DecodeRoadSplit(benchmark::State& state) {
  Fixture& f = fixture();
  PictureBox picture_box;
  picture_box.resize(264, 168);
  f.service_ms();
  double page = 0, upload = 0, decode = 0, json = 0, picture = 0, document_ms = 0, service = 0,
         total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    JsonDocument document;
    document_ms += elapsed_ms(start);
    const auto shown = std::chrono::steady_clock::now();
    picture_box.set_picture(f.image);
    picture_box.grab();  // draw it, as the window does once the run returns
    picture += elapsed_ms(shown);
    ExchangeTrace trace;
    if (run_decode_exchanges(document, f.endpoints, "qr.png", f.image, &trace) != kText)
      state.SkipWithError("no text");
    total += elapsed_ms(start);
    page += trace.page_ms;
    upload += trace.upload_ms;
    decode += trace.decode_ms;
    json += trace.json_ms;
    service += f.service_ms();
  }
  auto average = [](double v) { return benchmark::Counter(v, benchmark::Counter::kAvgIterations); };
  state.counters["page_ms"] = average(page);
  state.counters["upload_ms"] = average(upload);
  state.counters["decode_ms"] = average(decode);
  state.counters["json_ms"] = average(json + document_ms);
  state.counters["picture_ms"] = average(picture);
  state.counters["service_ms"] = average(service);
  state.counters["own_ms"] = average(total - service);
}
BENCHMARK(BM_DecodeRoadSplit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_DecodeCliPerImage(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<std::string> args{f.image_path.toStdString()};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (run_decode_cli(args, f.endpoints, out, err) != 0) state.SkipWithError("no text");
  }
}
BENCHMARK(BM_DecodeCliPerImage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_ZbarimgLocally(benchmark::State& state) {
  const std::string command = "zbarimg -q --raw '" + fixture().image_path.toStdString() + "' >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("zbarimg failed");
  }
}
BENCHMARK(BM_ZbarimgLocally)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace
}  // namespace varnelle

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
