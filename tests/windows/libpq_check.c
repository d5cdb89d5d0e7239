/* The cross-built libpq and OpenSSL at work as a Windows program: libpq.dll loaded by name from
   the program's folder, as the register loads it, reporting the expected version and OpenSSL as
   its TLS library; libssl's DLL makes a TLS client context, which needs libcrypto's default
   provider; and a connection to a closed port fails with a message rather than a crash.
   Usage: libpq_check VERSION SSL-DLL CRYPTO-DLL, VERSION as PQlibVersion gives it (150018
   for 15.18), the two OpenSSL DLLs by their names; prints the libpq and OpenSSL versions and exits
   0 when all held. */

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef int (*LibVersion)(void);
typedef const char* (*SslAttribute)(void*, const char*);
typedef void* (*ConnectDb)(const char*);
typedef int (*Status)(const void*);
typedef const char* (*ErrorMessage)(const void*);
typedef void (*Finish)(void*);
typedef const void* (*ClientMethod)(void);
typedef void* (*ContextNew)(const void*);
typedef void (*ContextFree)(void*);
typedef const char* (*OpenSslVersion)(int);

static FARPROC need(HMODULE library, const char* library_name, const char* name) {
  FARPROC function = GetProcAddress(library, name);
  if (!function) {
    fprintf(stderr, "libpq_check: %s lacks %s\n", library_name, name);
    exit(1);
  }
  return function;
}

int main(int argc, char** argv) {
  HMODULE pq;
  HMODULE ssl;
  HMODULE crypto;
  int version;
  const char* library;
  void* connection;
  void* context;

  if (argc != 4) {
    fprintf(stderr, "usage: libpq_check VERSION SSL-DLL CRYPTO-DLL\n");
    return 2;
  }
  pq = LoadLibraryA("libpq.dll");
  if (!pq) {
    fprintf(stderr, "libpq_check: libpq.dll does not load (error %lu)\n", GetLastError());
    return 1;
  }
  version = ((LibVersion)(void (*)(void))need(pq, "libpq.dll", "PQlibVersion"))();
  if (version != atoi(argv[1])) {
    fprintf(stderr, "libpq_check: libpq.dll is version %d, not %s\n", version, argv[1]);
    return 1;
  }
  library =
      ((SslAttribute)(void (*)(void))need(pq, "libpq.dll", "PQsslAttribute"))(NULL, "library");
  if (!library || strcmp(library, "OpenSSL") != 0) {
    fprintf(stderr, "libpq_check: libpq.dll was built without OpenSSL\n");
    return 1;
  }

  /* Already loaded with libpq: the same module, not a second copy from elsewhere. */
  ssl = GetModuleHandleA(argv[2]);
  crypto = GetModuleHandleA(argv[3]);
  if (!ssl || !crypto) {
    fprintf(stderr, "libpq_check: libpq.dll did not bring %s and %s along\n", argv[2], argv[3]);
    return 1;
  }
  context = ((ContextNew)(void (*)(void))need(ssl, argv[2], "SSL_CTX_new"))(
      ((ClientMethod)(void (*)(void))need(ssl, argv[2], "TLS_client_method"))());
  if (!context) {
    fprintf(stderr, "libpq_check: %s makes no TLS client context\n", argv[2]);
    return 1;
  }
  ((ContextFree)(void (*)(void))need(ssl, argv[2], "SSL_CTX_free"))(context);

  /* Port 1 on the loopback: nothing listens, so the connection fails at once. */
  connection = ((ConnectDb)(void (*)(void))need(pq, "libpq.dll", "PQconnectdb"))(
      "host=127.0.0.1 port=1 sslmode=require connect_timeout=10");
  if (!connection || ((Status)(void (*)(void))need(pq, "libpq.dll", "PQstatus"))(connection) == 0) {
    fprintf(stderr, "libpq_check: a connection to a closed port did not fail\n");
    return 1;
  }
  if (strlen(((ErrorMessage)(void (*)(void))need(pq, "libpq.dll", "PQerrorMessage"))(connection)) ==
      0) {
    fprintf(stderr, "libpq_check: a failed connection gave no message\n");
    return 1;
  }
  ((Finish)(void (*)(void))need(pq, "libpq.dll", "PQfinish"))(connection);

  printf("libpq %d.%d with %s works\n", version / 10000, version % 10000,
         ((OpenSslVersion)(void (*)(void))need(crypto, argv[3], "OpenSSL_version"))(0));
  return 0;
}
