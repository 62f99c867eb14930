/* A plain GDBus service that answers a page: the page read once at start,
 * Invoke(s, av) -> v answered with its bytes as a string value whatever is
 * asked, as any GDBus service answering a text it holds does. With --prebuilt
 * the value is made once at start and only referenced per call: the least any
 * service can do. bench_host_scale compares the stand-in editor's getalltext
 * with both.
 *
 *   host_echo [--prebuilt] PAGE BUS-NAME     prints "ready" once the name is owned */
#include <gio/gio.h>

#include <cstdio>

static const char kIntrospection[] =
    "<node><interface name='Marquill4.Plugin'>"
    "<method name='Invoke'><arg type='s' direction='in'/><arg type='av' direction='in'/>"
    "<arg type='v' direction='out'/></method>"
    "</interface></node>";

static gchar* text;
static GVariant* prebuilt;

static void on_call(GDBusConnection* connection, const gchar* sender, const gchar* path, const gchar* interface,
                    const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                    gpointer data) {
  (void)connection, (void)sender, (void)path, (void)interface, (void)method, (void)parameters, (void)data;
  GVariant* page = prebuilt != nullptr ? prebuilt : g_variant_new_string(text);
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", page));
}

static void on_name(GDBusConnection* connection, const gchar* name, gpointer data) {
  (void)connection, (void)name, (void)data;
  printf("ready\n");
  fflush(stdout);
}

static void on_lost(GDBusConnection* connection, const gchar* name, gpointer loop) {
  (void)connection;
  fprintf(stderr, "host_echo: the name %s could not be owned\n", name);
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

int main(int argc, char** argv) {
  const bool once = argc == 4 && g_strcmp0(argv[1], "--prebuilt") == 0;
  if (argc != 3 && !once) {
    fprintf(stderr, "usage: host_echo [--prebuilt] PAGE BUS-NAME\n");
    return 2;
  }
  if (once) ++argv;
  gsize length = 0;
  GError* error = nullptr;
  if (!g_file_get_contents(argv[1], &text, &length, &error)) {
    fprintf(stderr, "host_echo: %s\n", error->message);
    return 1;
  }
  if (!g_utf8_validate(text, (gssize)length, nullptr)) {
    fprintf(stderr, "host_echo: %s is not UTF-8 text without NUL characters\n", argv[1]);
    return 1;
  }
  if (once) prebuilt = g_variant_ref_sink(g_variant_new_string(text));

  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) {
    fprintf(stderr, "host_echo: %s\n", error->message);
    return 1;
  }
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable vtable = {on_call, nullptr, nullptr, {}};
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  if (g_dbus_connection_register_object(bus, "/Plugin", node->interfaces[0], &vtable, nullptr, nullptr, &error) == 0) {
    fprintf(stderr, "host_echo: %s\n", error->message);
    return 1;
  }
  g_bus_own_name_on_connection(bus, argv[2], G_BUS_NAME_OWNER_FLAGS_NONE, on_name, on_lost, loop, nullptr);
  g_main_loop_run(loop);
  return 1;
}
