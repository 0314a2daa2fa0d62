# runtime/KvVersion.h, made from the project's version into the build's own include
# folder (KV_GENERATED_INCLUDE_DIR), which kv_core exports and the kit installs.
set(KV_GENERATED_INCLUDE_DIR ${PROJECT_BINARY_DIR}/kv_generated)
configure_file(${PROJECT_SOURCE_DIR}/runtime/KvVersion.h.in
               ${KV_GENERATED_INCLUDE_DIR}/runtime/KvVersion.h @ONLY)
