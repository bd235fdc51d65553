// One line per subcommand, in the order `zuv --help` lists them.
// No include guard: commands.h includes this list twice.
ZUV_COMMAND(Describe)
ZUV_COMMAND(Decode)
ZUV_COMMAND(Export)
ZUV_COMMAND(Report)
ZUV_COMMAND(Live)
ZUV_COMMAND(Record)
ZUV_COMMAND(Detect)
ZUV_COMMAND(Demo)
ZUV_COMMAND(Config)
ZUV_COMMAND(Sim)
ZUV_COMMAND(Timing)
ZUV_COMMAND(Web)
