#include "platform/qt_comm.h"

#include <sys/stat.h>

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>

#include "platform/port_list.h"

namespace platform {

namespace {
// A single byte leaves a working port within microseconds; a write that has not gone out by
// then is stuck (a dead adapter, a line held by flow control).
constexpr int kWriteTimeoutMs = 500;

QSerialPort::Parity ToQt(uint8_t parity) {
  switch (parity) {
    case 1:
      return QSerialPort::OddParity;
    case 2:
      return QSerialPort::EvenParity;
    case 3:
      return QSerialPort::MarkParity;
    case 4:
      return QSerialPort::SpaceParity;
    default:
      return QSerialPort::NoParity;
  }
}

uint8_t FromQt(QSerialPort::Parity parity) {
  switch (parity) {
    case QSerialPort::OddParity:
      return 1;
    case QSerialPort::EvenParity:
      return 2;
    case QSerialPort::MarkParity:
      return 3;
    case QSerialPort::SpaceParity:
      return 4;
    default:
      return NOPARITY;
  }
}
}  // namespace

QtCommBackend::QtCommBackend() = default;
QtCommBackend::~QtCommBackend() = default;

QtCommBackend::Port* QtCommBackend::Find(THandle h) {
  auto it = ports_.find(h);
  return it == ports_.end() ? nullptr : &it->second;
}

void QtCommBackend::NoteError(Port& port) {
  const auto error = port.serial->error();
  if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) {
    port.serial->clearError();
    return;
  }
  // Line errors are cleared and not reported; a read, write or resource error means the
  // device has gone away.
  if (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
      error == QSerialPort::ResourceError) {
    port.lost = true;
  }
  port.serial->clearError();
}

std::vector<PortInfo> QtCommBackend::ListPorts() {
  std::vector<PortInfo> ports;
  if (listSystemPorts_) {
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
      ports.push_back({info.portName().toStdString(), info.description().toStdString(),
                       info.systemLocation().toStdString()});
  }
  for (PortInfo& port : VirtualPorts(VirtualPortsDir())) {
    // An entry is opened by its designation: a link may not take a system port's name.
    const bool taken = std::any_of(ports.begin(), ports.end(), [&](const PortInfo& listed) {
      return listed.designation == port.designation;
    });
    if (!taken) ports.push_back(std::move(port));
  }
  return ports;
}

THandle QtCommBackend::Open(const std::string& path) {
  // Only terminals: never open (and so never block on, arm or write to) anything else.
  const std::optional<TerminalNode> node = OpenableTerminal(path);
  if (!node) return INVALID_HANDLE_VALUE;
  auto serial = std::make_unique<QSerialPort>();
  // The device itself, not the way to it: nothing can be swapped in between.
  serial->setPortName(QString::fromStdString(node->path));
  if (!serial->open(QIODevice::ReadWrite)) return INVALID_HANDLE_VALUE;
  struct stat opened {};
  if (::fstat(static_cast<int>(serial->handle()), &opened) != 0 || !S_ISCHR(opened.st_mode) ||
      opened.st_rdev != node->device) {
    serial->close();
    return INVALID_HANDLE_VALUE;
  }
  const THandle h = next_++;
  if (next_ == INVALID_HANDLE_VALUE) next_ = 1;
  ports_[h] = Port{std::move(serial), false};
  return h;
}

bool QtCommBackend::GetState(THandle h, DCB& dcb) {
  Port* port = Find(h);
  if (!port) return false;
  dcb.BaudRate = static_cast<uint32_t>(port->serial->baudRate());
  dcb.ByteSize = static_cast<uint8_t>(port->serial->dataBits());
  dcb.Parity = FromQt(port->serial->parity());
  dcb.StopBits = port->serial->stopBits() == QSerialPort::TwoStop ? 2 : ONESTOPBIT;
  return true;
}

bool QtCommBackend::SetState(THandle h, const DCB& dcb) {
  Port* port = Find(h);
  if (!port || port->lost) return false;
  QSerialPort& s = *port->serial;
  bool ok = s.setBaudRate(static_cast<qint32>(dcb.BaudRate));
  ok = s.setDataBits(static_cast<QSerialPort::DataBits>(dcb.ByteSize)) && ok;
  ok = s.setParity(ToQt(dcb.Parity)) && ok;
  ok = s.setStopBits(dcb.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && ok;
  NoteError(*port);
  return ok;
}

bool QtCommBackend::Purge(THandle h, uint32_t flags) {
  Port* port = Find(h);
  if (!port || port->lost) return false;
  bool ok = true;
  if (flags & PURGE_TXCLEAR) ok = port->serial->clear(QSerialPort::Output) && ok;
  if (flags & PURGE_RXCLEAR) ok = port->serial->clear(QSerialPort::Input) && ok;
  NoteError(*port);
  return ok;
}

bool QtCommBackend::WriteByte(THandle h, uint8_t byte) {
  Port* port = Find(h);
  if (!port || port->lost) return false;
  const char c = static_cast<char>(byte);
  // Without a running event loop a write only queues: push it out here.
  bool ok = port->serial->write(&c, 1) == 1;
  if (ok) ok = port->serial->waitForBytesWritten(kWriteTimeoutMs);
  NoteError(*port);
  return ok && !port->lost;
}

uint32_t QtCommBackend::Waiting(THandle h) {
  Port* port = Find(h);
  if (!port) return 0;
  if (!port->lost) {
    // Pull what the driver holds into the port's buffer, without waiting.
    port->serial->waitForReadyRead(0);
    NoteError(*port);
  }
  return static_cast<uint32_t>(port->serial->bytesAvailable());
}

uint32_t QtCommBackend::Read(THandle h, char* buffer, uint32_t n) {
  Port* port = Find(h);
  if (!port) return 0;
  const qint64 got = port->serial->read(buffer, n);
  return got > 0 ? static_cast<uint32_t>(got) : 0;
}

bool QtCommBackend::WaitForData(THandle h, uint32_t ms) {
  Port* port = Find(h);
  if (!port) return false;
  if (port->serial->bytesAvailable() > 0) return true;
  QElapsedTimer timer;
  timer.start();
  if (!port->lost) {
    const bool ready = port->serial->waitForReadyRead(static_cast<int>(ms));
    NoteError(*port);
    if (ready || port->serial->bytesAvailable() > 0) return true;
  }
  // A lost device fails every wait at once: let the time pass instead of spinning.
  const qint64 left = static_cast<qint64>(ms) - timer.elapsed();
  if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
  return false;
}

bool QtCommBackend::Close(THandle h) {
  auto it = ports_.find(h);
  if (it == ports_.end()) return false;
  it->second.serial->close();
  ports_.erase(it);
  return true;
}

}  // namespace platform
